// The images of the update offer: the balloon's close button and the mandatory-update prompt
// with its buttons.
#include "ImageSet.h"
#include "Painting.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

using namespace Painting;

namespace {

// The balloon's close button, 16 × 16 on the balloon's pale yellow: 0 normal, 1 pressed, 2 hover.
void balloonClose(QImage& image, int state) {
    image.fill(QColor(255, 255, 210));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    if (state != 0) {
        p.setPen(QPen(state == 1 ? QColor(150, 120, 60) : QColor(190, 160, 90), 1));
        p.setBrush(state == 1 ? QColor(236, 222, 160) : QColor(250, 240, 190));
        p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    }
    p.setPen(QPen(state == 0 ? QColor(110, 100, 80) : QColor(70, 50, 20), 1.6, Qt::SolidLine,
                  Qt::RoundCap));
    p.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
    p.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
}

void promptClose(QImage& image, int state) {
    image.fill(QColor(14, 66, 98));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colour = state == 0   ? QColor(150, 170, 186)
                          : state == 1 ? QColor(255, 96, 80)
                                       : QColor(190, 50, 40);
    p.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(1.5, 1.5), QPointF(8.5, 8.5));
    p.drawLine(QPointF(8.5, 1.5), QPointF(1.5, 8.5));
}

// The update button: 0 normal, 1 hover, 2 pressed.
void updateButton(QImage& image, int state) {
    image.fill(QColor(16, 24, 32));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF rect(0.5, 0.5, widthOf(image) - 1, heightOf(image) - 1);
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    const QColor top = state == 0   ? QColor(255, 188, 0)
                       : state == 1 ? QColor(255, 214, 90)
                                    : QColor(214, 150, 0);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, top.darker(140));
    p.setPen(QPen(top.darker(170), 1));
    p.setBrush(gradient);
    p.drawRoundedRect(rect, 4, 4);
    p.setPen(QColor(30, 20, 0));
    p.setFont(uiFont(11, true));
    p.drawText(QRectF(0, state == 2 ? 1 : 0, widthOf(image), heightOf(image)), Qt::AlignCenter,
               QStringLiteral("今すぐ更新"));
}

void updatePrompt(QImage& image) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, rectOf(image), QColor(22, 32, 42), QColor(11, 16, 22));
    verticalGradient(p, QRectF(0, 0, widthOf(image), 32), QColor(14, 66, 98), QColor(10, 40, 60));
    p.fillRect(0, 32, widthOf(image), 1, kAccent);
    p.setPen(Qt::white);
    p.setFont(uiFont(13, true));
    p.drawText(QRect(16, 0, 250, 32), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("VELO オンラインアップグレード"));
    p.setPen(QColor(255, 188, 0));
    p.setFont(uiFont(12, true));
    p.drawText(QRect(16, 42, 270, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("新しいバージョンが公開されました"));
    p.setPen(kText);
    p.setFont(uiFont(11));
    p.drawText(QRect(16, 66, 270, 58), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               QStringLiteral("このバージョンは引き続きご利用いただけません。"
                              "今すぐ更新してください。更新しない場合、VELOを終了します。"));
}

}  // namespace

void ImageSet::addUpdateImages() {
    addBitmap(228, 16, 16, [](QImage& i) { balloonClose(i, 0); });
    addBitmap(229, 16, 16, [](QImage& i) { balloonClose(i, 1); });
    addBitmap(230, 16, 16, [](QImage& i) { balloonClose(i, 2); });
    // The prompt's close button: 297 normal, 298 hover, 299 pressed.
    addBitmap(297, 10, 10, [](QImage& i) { promptClose(i, 0); });
    addBitmap(298, 10, 10, [](QImage& i) { promptClose(i, 1); });
    addBitmap(299, 10, 10, [](QImage& i) { promptClose(i, 2); });
    addBitmap(324, 300, 170, updatePrompt);
    // The update button: 326 pressed, 327 normal, 328 hover.
    addBitmap(326, 97, 22, [](QImage& i) { updateButton(i, 2); });
    addBitmap(327, 97, 22, [](QImage& i) { updateButton(i, 0); });
    addBitmap(328, 97, 22, [](QImage& i) { updateButton(i, 1); });
}
