#include "widgets/CMyToolTip.h"

#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "widgets/SharpImage.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QScreen>
#include <QStyle>

#include <algorithm>

CMyToolTip& CMyToolTip::GetBalloon() {
    // Made on first use and kept until the process ends, as the one balloon of the program.
    static CMyToolTip* balloon = new CMyToolTip;
    return *balloon;
}

CMyToolTip::CMyToolTip()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
}

CMyToolTip::~CMyToolTip() = default;

bool CMyToolTip::countdownRunning() const {
    return m_timer && m_timer->isActive();
}

QStringList CMyToolTip::bodyLines() const {
    QStringList lines = m_body.split(QLatin1Char('#'));
    lines.removeLast();  // what follows the last "#" is not a line
    return lines;
}

QFont CMyToolTip::titleFont() const {
    QFont font = QApplication::font();
    font.setPixelSize(14);
    font.setBold(true);
    return font;
}

QFont CMyToolTip::bodyFont() const {
    QFont font = titleFont();
    font.setBold(false);
    return font;
}

void CMyToolTip::layOut(bool withTail) {
    // Measured with the fonts the text is drawn in, so that every line fits its box.
    const QFontMetrics title(titleFont());
    const QFontMetrics body(bodyFont());
    int width = title.horizontalAdvance(m_title);
    int height = title.height() * 3 / 2;
    for (const QString& line : bodyLines()) {
        width = std::max(width, body.horizontalAdvance(line));
        height += title.height();
    }
    // The title starts beside the icon, 27 pixels further in than the body: the box is wide
    // enough for it to end before the close button, which would otherwise cover its last
    // characters.
    const int right =
        std::max(width + 2 * kMargin + 34,
                 title.horizontalAdvance(m_title) + kMargin + 27 + 4 + kCloseSize + kMargin);
    const int bottom = height + 2 * kMargin;
    m_box = QRect(0, 0, right + 1, bottom + 1);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(m_box), 2.5, 2.5);
    if (withTail) {
        QPolygonF tail;
        tail << QPointF(right - 25, bottom) << QPointF(right - 25, bottom + kTailHeight)
             << QPointF(right - 40, bottom);
        shape.addPolygon(tail);
    }
    shape.setFillRule(Qt::WindingFill);
    m_region = QRegion(shape.simplified().toFillPolygon().toPolygon());
    m_close = QRect(right - kMargin - kCloseSize, kMargin, kCloseSize, kCloseSize);
}

QPoint CMyToolTip::cornerNearPanel(const QRect& screen, const QRect& available, QSize size) {
    // The panel is where the desktop keeps the most room for itself; without one, the bottom
    // right corner, where a notification area usually sits.
    const int top = available.top() - screen.top();
    const int bottom = screen.bottom() - available.bottom();
    const int left = available.left() - screen.left();
    const int right = screen.right() - available.right();
    const int x = left > std::max({top, bottom, right}) ? available.left()
                                                        : available.right() + 1 - size.width();
    const int y = top > std::max({bottom, left, right}) ? available.top()
                                                        : available.bottom() + 1 - size.height();
    return {x, y};
}

bool CMyToolTip::ShowAtTray(Clock& clock, const QRect& icon, const QString& programFolder,
                            std::function<void()> endClient) {
    // Where the icon's place is not known (no notification area, or one that does not say),
    // the balloon still shows, without a tail, at the corner by the panel.
    const bool pointing = !icon.isEmpty();
    const QScreen* screen =
        pointing ? QGuiApplication::screenAt(icon.center()) : QGuiApplication::primaryScreen();
    if (!pointing && screen == nullptr) {
        return false;
    }
    m_programFolder = programFolder;
    m_endClient = std::move(endClient);
    m_clock = &clock;
    m_timer = clock.createTimer([this] { hide(); }, true);
    layOut(pointing);
    const QRect bounds = m_region.boundingRect();
    QPoint at;
    if (pointing) {
        // The tail's tip comes to the icon; a balloon that would leave the screen is kept on it.
        at = QPoint(2 * icon.right() - icon.left() - (bounds.left() + bounds.right()),
                    icon.bottom() - kTailHeight / 2 - (bounds.top() + bounds.bottom()));
        if (screen != nullptr) {
            const QRect room = screen->availableGeometry();
            at.setX(std::clamp(at.x(), room.left(),
                               std::max(room.left(), room.right() - bounds.width())));
            at.setY(std::clamp(at.y(), room.top(),
                               std::max(room.top(), room.bottom() - bounds.height())));
        }
    } else {
        at = cornerNearPanel(screen->geometry(), screen->availableGeometry(), bounds.size());
    }
    setGeometry(QRect(at, bounds.size()));
    setMask(m_region);
    m_closeFace = 228;
    show();
    raise();
    m_timer->start(m_closeAfterMs);
    return true;
}

void CMyToolTip::setCloseFace(int bitmap) {
    if (bitmap != m_closeFace) {
        m_closeFace = bitmap;
        update(m_close);
    }
}

void CMyToolTip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setClipRegion(m_region);
    p.fillRect(rect(), kFill);
    p.setClipping(false);
    // A one-pixel frame round the box and its tail.
    QPainterPath outline;
    outline.addRegion(m_region);
    p.setPen(QPen(palette().color(QPalette::ToolTipText), 1));
    p.setBrush(Qt::NoBrush);
    for (const QPolygonF& edge : outline.simplified().toFillPolygons()) {
        p.drawPolygon(edge.translated(-0.5, -0.5));
    }
    const QIcon information = style()->standardIcon(QStyle::SP_MessageBoxInformation);
    p.drawPixmap(m_box.left() + 9, m_box.top() + 6, information.pixmap(18, 18));
    p.drawPixmap(m_close, SharpImage::pixmap(QStringLiteral(":/bitmap/%1").arg(m_closeFace)));

    p.setPen(palette().color(QPalette::ToolTipText));
    const QFontMetrics title(titleFont());
    p.setFont(titleFont());
    p.drawText(kMargin + 27, kMargin + 3 + title.ascent(), m_title);
    p.setFont(bodyFont());
    int y = title.height() / 3 + kMargin + 18;
    for (const QString& line : bodyLines()) {
        p.drawText(kMargin + 4, y + title.ascent(), line);
        y += title.height();
    }
}

void CMyToolTip::enterEvent(QEnterEvent* event) {
    // While the pointer is over it, the balloon stays.
    if (m_timer) {
        m_timer->stop();
    }
    QWidget::enterEvent(event);
}

void CMyToolTip::leaveEvent(QEvent* event) {
    setCloseFace(228);
    if (isVisible() && m_timer) {
        m_timer->start(m_closeAfterMs);
    }
    QWidget::leaveEvent(event);
}

void CMyToolTip::mouseMoveEvent(QMouseEvent* event) {
    if (m_timer) {
        m_timer->stop();
    }
    setCloseFace(m_close.contains(event->position().toPoint()) ? 230 : 228);
}

void CMyToolTip::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        setCloseFace(m_close.contains(event->position().toPoint()) ? 229 : 228);
    }
}

void CMyToolTip::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (m_timer) {
        m_timer->stop();
    }
    hide();
    if (m_close.contains(event->position().toPoint())) {
        return;
    }
    const QString updater = ProgramFolder::file(m_programFolder, QStringLiteral("Update.exe"));
    if (!QFile::exists(updater) || m_clock == nullptr) {
        return;
    }
    std::function<void()> endClient = m_endClient;
    m_clock->singleShot(kUpdaterDelayMs, this, [updater, endClient] {
        if (QProcess::startDetached(updater, {}) && endClient) {
            endClient();
        }
    });
}
