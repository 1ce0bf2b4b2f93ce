#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QRectF>

class QPainter;

// What every drawing of the image generator shares: the program's colours, its font and the
// vertical gradient of its panels.
namespace Painting {

inline const QColor kAccent(5, 153, 201);
inline const QColor kText(216, 230, 240);

QFont uiFont(int pixelSize, bool bold = false);
void verticalGradient(QPainter& p, const QRectF& rect, const QColor& top, const QColor& bottom);

// An image's size in the program's own pixels: the drawings are made once in those, and drawn
// again at twice the resolution for screens of high density (the image's device pixel ratio).
inline int widthOf(const QImage& image) {
    return qRound(image.deviceIndependentSize().width());
}
inline int heightOf(const QImage& image) {
    return qRound(image.deviceIndependentSize().height());
}
inline QRect rectOf(const QImage& image) {
    return QRect(0, 0, widthOf(image), heightOf(image));
}

}  // namespace Painting
