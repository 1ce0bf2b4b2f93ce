#include "AdImages.h"

#include "Painting.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace AdImages {

void drawBanner(QImage& image) {
    image.fill(QColor(11, 26, 42));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(3, 3, kBannerSize - 6, kBannerSize - 6);
    QPainterPath rounded;
    rounded.addRoundedRect(box, 9, 9);
    p.setClipPath(rounded);
    Painting::verticalGradient(p, box, QColor(22, 170, 220), QColor(4, 70, 120));
    p.setClipping(false);
    // The set: a rounded screen on a small stand.
    const QRectF screen(12, 15, 38, 25);
    p.setPen(QPen(Qt::white, 2.5));
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawRoundedRect(screen, 4, 4);
    p.drawLine(QPointF(24, 46), QPointF(38, 46));
    p.drawLine(QPointF(31, 40), QPointF(31, 46));
    // The play mark, in the program's orange.
    QPainterPath play;
    play.moveTo(27, 21);
    play.lineTo(37, 27.5);
    play.lineTo(27, 34);
    play.closeSubpath();
    p.fillPath(play, QColor(255, 188, 0));
}

}  // namespace AdImages
