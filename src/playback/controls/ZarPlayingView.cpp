#include "ZarPlayingView.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

ZarPlayingView::ZarPlayingView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_tick.setInterval(100);
    connect(&m_tick, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

void ZarPlayingView::start(const QString& channel, const QString& address) {
    m_channel = channel;
    m_address = address;
    m_clock.start();
    m_tick.start();
    update();
}

void ZarPlayingView::stop() {
    m_tick.stop();
}

void ZarPlayingView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect();
    const double seconds = m_clock.isValid() ? m_clock.elapsed() / 1000.0 : 0.0;

    QLinearGradient base(area.topLeft(), area.bottomRight());
    base.setColorAt(0, QColor(6, 12, 20));
    base.setColorAt(1, QColor(2, 4, 8));
    p.fillRect(area, base);
    // A soft light drifting across the picture, so the pane visibly lives.
    const QPointF centre(area.width() * (0.5 + 0.3 * std::sin(seconds / 3.0)),
                         area.height() * (0.45 + 0.2 * std::cos(seconds / 4.0)));
    QRadialGradient glow(centre, area.width() * 0.6);
    glow.setColorAt(0, QColor(16, 70, 110, 150));
    glow.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(area, glow);

    QFont title = font();
    title.setPixelSize(std::max(18, static_cast<int>(area.height() / 12)));
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(235, 244, 250));
    p.drawText(area.adjusted(20, 0, -20, -area.height() * 0.1), Qt::AlignCenter | Qt::TextWordWrap,
               m_channel);

    QFont small = font();
    small.setPixelSize(12);
    p.setFont(small);
    p.setPen(QColor(120, 150, 172));
    p.drawText(area.adjusted(20, area.height() * 0.2, -20, 0), Qt::AlignCenter, m_address);

    // Live mark and running time in the top left corner.
    const bool blink = static_cast<int>(seconds * 2) % 2 == 0;
    p.setPen(Qt::NoPen);
    p.setBrush(blink ? QColor(230, 50, 40) : QColor(120, 30, 24));
    p.drawEllipse(QPointF(20, 20), 5, 5);
    p.setPen(QColor(235, 244, 250));
    QFont live = font();
    live.setPixelSize(12);
    live.setBold(true);
    p.setFont(live);
    const int total = static_cast<int>(seconds);
    p.drawText(QPointF(32, 25), QStringLiteral("LIVE  %1:%2")
                                     .arg(total / 60, 2, 10, QLatin1Char('0'))
                                     .arg(total % 60, 2, 10, QLatin1Char('0')));
}
