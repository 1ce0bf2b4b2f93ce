#include "Painting.h"

#include <QLinearGradient>
#include <QPainter>

namespace Painting {

QFont uiFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void verticalGradient(QPainter& p, const QRectF& rect, const QColor& top, const QColor& bottom) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    p.fillRect(rect, gradient);
}

}  // namespace Painting
