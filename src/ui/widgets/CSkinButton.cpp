#include "widgets/CSkinButton.h"
#include "widgets/SharpImage.h"

#include <QFocusEvent>
#include <QPainter>

namespace {

QPixmap bitmap(int id) {
    return SharpImage::pixmap(QStringLiteral(":/bitmap/%1").arg(id));
}

// The outline the button shows while the keyboard has brought the focus to it.
void paintKeyboardFocus(QPainter& painter, const QRect& area) {
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(120, 200, 255), 1, Qt::DotLine));
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    painter.restore();
}

// The focus came from the keyboard (Tab, Backtab, a shortcut), not from a click.
bool isKeyboardFocus(Qt::FocusReason reason) {
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
           reason == Qt::ShortcutFocusReason;
}

}  // namespace

CSkinButton::CSkinButton(QWidget* parent) : QAbstractButton(parent) {
    // Reached with Tab, and pressed with Space, but a click leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
}

void CSkinButton::SetBitmaps(int hover, int normal, int pressed, int spare) {
    m_hoverFace = bitmap(hover);
    m_normal = bitmap(normal);
    m_pressed = bitmap(pressed);
    m_spare = bitmap(spare);
    update();
}

void CSkinButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // Each face at its own size from the top-left corner, cut to the button.
    const QPixmap& face = m_hover ? m_hoverFace : m_normal;
    if (!face.isNull()) {
        p.drawPixmap(0, 0, face);
    }
    if (isDown() && !m_pressed.isNull()) {
        p.drawPixmap(0, 0, m_pressed);
    }
    if (m_keyboardFocus && hasFocus()) {
        paintKeyboardFocus(p, rect());
    }
}

void CSkinButton::focusInEvent(QFocusEvent* event) {
    m_keyboardFocus = isKeyboardFocus(event->reason());
    update();
    QAbstractButton::focusInEvent(event);
}

void CSkinButton::focusOutEvent(QFocusEvent* event) {
    m_keyboardFocus = false;
    update();
    QAbstractButton::focusOutEvent(event);
}

void CSkinButton::enterEvent(QEnterEvent* event) {
    m_hover = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CSkinButton::leaveEvent(QEvent* event) {
    m_hover = false;
    update();
    QAbstractButton::leaveEvent(event);
}
