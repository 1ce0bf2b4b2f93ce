#include "mainwnd/CSkinnedWindow.h"

#include "mainwnd/CClientArea.h"
#include "widgets/CSkinButton.h"

#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QWindowStateChangeEvent>

CSkinnedWindow::CSkinnedWindow(const QString& programFolder, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint),
      m_frame(std::make_unique<SkinFrame>(programFolder)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);

    m_client = new CClientArea(this);
    m_client->onPaint = [this](QPainter& p) { paintClient(p); };
    m_client->onResize = [this] { layoutClient(); };
    m_client->setMouseTracking(true);

    for (const SkinFrame::Button button :
         {SkinFrame::kNoButton, SkinFrame::kTopMost, SkinFrame::kMinimise, SkinFrame::kMaximise,
          SkinFrame::kClose}) {
        // A skinned button without faces: the caption beneath paints the button, the key only
        // its keyboard outline, and the pointer passes through it to the caption.
        auto* key = new CSkinButton(this);
        key->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_keys[button] = key;
        connect(key, &QAbstractButton::clicked, this, [this, button] {
            if (button == SkinFrame::kNoButton) {
                showWindowMenu();
            } else {
                pressCaptionButton(button);
            }
        });
    }
    placeCaptionKeys();

    m_dragTimer.setInterval(kDragTickMs);
    connect(&m_dragTimer, &QTimer::timeout, this, [this] { dragTick(m_dragging, QCursor::pos()); });
}

CSkinnedWindow::~CSkinnedWindow() = default;

QRect CSkinnedWindow::captionArea() const {
    return QRect(0, 0, width(), m_frame->captionHeight() + 4);
}

void CSkinnedWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    m_client->setGeometry(rect() - m_frame->margins());
    // The window is clipped to a rounded rectangle.
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), 2.5, 2.5);
    setMask(QRegion(outline.toFillPolygon().toPolygon()));
    update();
}

void CSkinnedWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    m_frameState.topMost = m_topMost;
    m_frameState.maximised = isMaximized();
    m_frame->paint(p, size(), m_frameState, windowIcon().pixmap(64, 64));
    placeCaptionKeys();
}

void CSkinnedWindow::placeCaptionKeys() {
    const QString names[5] = {kMenuName, (m_topMost ? kCancelTopMostTip : kTopMostTip).trimmed(),
                              kMinimiseName, isMaximized() ? kRestoreName : kMaximiseName,
                              kCloseName};
    for (int b = 0; b < 5; ++b) {
        const auto button = static_cast<SkinFrame::Button>(b);
        const QRect at =
            button == SkinFrame::kNoButton ? m_frame->iconRect() : m_frame->buttonRect(button);
        if (m_keys[b]->geometry() != at) {
            m_keys[b]->setGeometry(at);
        }
        if (m_keys[b]->accessibleName() != names[b]) {
            m_keys[b]->setAccessibleName(names[b]);
        }
    }
}

void CSkinnedWindow::pressCaptionButton(SkinFrame::Button button) {
    switch (button) {
        case SkinFrame::kTopMost:
            if (m_topMost) {
                cancelTopMost();
            } else {
                makeTopMost();
            }
            update(captionArea());
            break;
        case SkinFrame::kClose:
            closeFromCaption();
            break;
        case SkinFrame::kMinimise:
            showMinimized();
            break;
        case SkinFrame::kMaximise:
            if (isMaximized()) {
                showNormal();
            } else {
                showMaximized();
            }
            break;
        default:
            break;
    }
}

void CSkinnedWindow::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging != SkinFrame::kNothing) {
        return;  // the drag timer follows the cursor
    }
    const QPoint at = event->position().toPoint();
    // A release that never reached the window (it was shown anew meanwhile) ends the press.
    if (event->buttons() == Qt::NoButton && m_frameState.pressed != SkinFrame::kNoButton) {
        m_frameState.pressed = SkinFrame::kNoButton;
        update(captionArea());
    }
    m_edge = SkinFrame::zoneForPointer(size(), at);
    setCursor(SkinFrame::cursorFor(m_edge));
    if (m_edge == SkinFrame::kCaption) {
        const SkinFrame::Button over = m_frame->buttonAt(at);
        if (over != m_frameState.hover) {
            m_frameState.hover = over;
            update(captionArea());
        }
    }
}

void CSkinnedWindow::showWindowMenu() {
    QMenu menu(this);
    QAction* about = m_aboutItem.isEmpty() ? nullptr : menu.addAction(m_aboutItem);
    fillWindowMenu(menu);
    QAction* close = menu.addAction(kCloseItem);
    const QRect icon = m_frame->iconRect();
    QAction* chosen = menu.exec(mapToGlobal(QPoint(icon.left(), icon.bottom() + 1)));
    if (chosen != nullptr && chosen == about) {
        showAbout();
    } else if (chosen == close) {
        this->close();
    }
}

void CSkinnedWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    if (m_frame->iconRect().contains(at)) {
        showWindowMenu();
        return;
    }
    const int zone = SkinFrame::zoneForPress(size(), at);
    if (zone == SkinFrame::kCaption) {
        const SkinFrame::Button button = m_frame->buttonAt(at);
        if (button == SkinFrame::kTopMost) {
            // This button acts on the press; until it is released it shows the pressed face of
            // the state the press brought.
            pressCaptionButton(button);
            m_frameState.pressed = button;
            update(captionArea());
            return;
        }
        if (button != SkinFrame::kNoButton) {
            m_frameState.pressed = button;
            update(captionArea());
            return;
        }
    }
    if (zone == SkinFrame::kNothing || (zone == SkinFrame::kCaption && isMaximized())) {
        return;
    }
    m_dragging = zone;
    m_anchor = event->globalPosition().toPoint();
    m_dragTimer.start();
}

void CSkinnedWindow::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const SkinFrame::Button pressed = m_frameState.pressed;
    m_frameState.pressed = SkinFrame::kNoButton;
    stopDrag();
    update(captionArea());
    // Minimise, maximise and close act where the button is released.
    if (SkinFrame::zoneForPress(size(), at) != SkinFrame::kCaption ||
        m_frame->buttonAt(at) != pressed) {
        return;
    }
    if (pressed != SkinFrame::kTopMost) {
        pressCaptionButton(pressed);
    }
}

void CSkinnedWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double-click on the caption or the frame neither maximises nor restores.
    event->accept();
}

void CSkinnedWindow::closeFromCaption() {
    close();
}

void CSkinnedWindow::stopDrag() {
    m_dragTimer.stop();
    m_dragging = SkinFrame::kNothing;
    m_edge = SkinFrame::kNothing;
    setCursor(Qt::ArrowCursor);
}

void CSkinnedWindow::dragTick(int edge, QPoint cursor) {
    const QRect before = frameGeometry();
    const QRect after = SkinFrame::dragStep(edge, before, m_anchor, cursor, isMaximized());
    if (after == before) {
        return;
    }
    if (after.size() == before.size()) {
        move(after.topLeft());
    } else {
        setGeometry(after);
        m_client->update();
    }
    m_anchor = cursor;
}

QString CSkinnedWindow::captionTip(QPoint point) const {
    if (m_frame->buttonRect(SkinFrame::kTopMost).contains(point)) {
        return m_topMost ? kCancelTopMostTip : kTopMostTip;
    }
    return {};
}

void CSkinnedWindow::setTopMostFlag(bool on) {
    m_topMost = on;
    placeCaptionKeys();
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible) {
        show();
    }
    update();
}

void CSkinnedWindow::makeTopMost() {
    if (!m_topMost) {
        setTopMostFlag(true);
    }
}

void CSkinnedWindow::cancelTopMost() {
    if (m_topMost) {
        setTopMostFlag(false);
    }
}

void CSkinnedWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        placeCaptionKeys();  // maximise or restore
    }
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        m_maximisedBeforeMinimise = (change->oldState() & Qt::WindowMaximized) != 0 ||
                                    (windowState() & Qt::WindowMaximized) != 0;
    }
    QDialog::changeEvent(event);
}

void CSkinnedWindow::restoreFromMinimised() {
    if (!isMinimized()) {
        return;
    }
    Qt::WindowStates state = windowState() & ~Qt::WindowMinimized;
    if (m_maximisedBeforeMinimise) {
        state |= Qt::WindowMaximized;
    }
    setWindowState(state);
}

bool CSkinnedWindow::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = captionTip(help->pos());
        if (tip.isEmpty()) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(help->globalPos(), tip, this);
        }
        return true;
    }
    return QDialog::event(event);
}
