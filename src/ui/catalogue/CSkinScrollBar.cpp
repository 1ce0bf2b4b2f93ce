#include "catalogue/CSkinScrollBar.h"
#include "widgets/SharpImage.h"

#include <QPainter>
#include <QStyleOptionSlider>

namespace {

QPixmap bitmap(int id) {
    return SharpImage::pixmap(QStringLiteral(":/bitmap/%1").arg(id));
}

}  // namespace

CSkinScrollBar::CSkinScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
    setFixedWidth(kWidth);
}

QSize CSkinScrollBar::sizeHint() const {
    return QSize(kWidth, QScrollBar::sizeHint().height());
}

void CSkinScrollBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width();
    const int barHeight = height();
    int h = w;  // arrow height
    if (barHeight < 2 * h + 1) {
        h = (barHeight - 1) / 2;
    }
    p.drawPixmap(QRect(0, 0, w, h), bitmap(231));
    p.drawPixmap(QRect(0, barHeight - h, w, h), bitmap(232));
    p.drawPixmap(QRect(0, h, w, barHeight - 2 * h), bitmap(233));
    if (barHeight <= 45 || maximum() <= minimum()) {
        return;
    }
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect thumb =
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    const QPixmap top = bitmap(234);
    const QPixmap middle = bitmap(235);
    const QPixmap bottom = bitmap(236);
    const QPixmap grip = bitmap(237);
    const int capHeight = SharpImage::sizeOf(middle).height();
    p.drawPixmap(QRect(0, thumb.top(), w, SharpImage::sizeOf(top).height()), top);
    p.drawPixmap(QRect(0, thumb.top() + capHeight, w, std::max(0, thumb.height() - 2 * capHeight)),
                 middle);
    const int bottomHeight = SharpImage::sizeOf(bottom).height();
    p.drawPixmap(QRect(0, thumb.bottom() + 1 - bottomHeight, w, bottomHeight), bottom);
    const int gripHeight = SharpImage::sizeOf(grip).height();
    p.drawPixmap(QRect(0, thumb.center().y() - gripHeight / 2, w, gripHeight), grip);
}
