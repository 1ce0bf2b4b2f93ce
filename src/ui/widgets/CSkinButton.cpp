#include "widgets/CSkinButton.h"

#include <QPainter>

namespace {

QPixmap bitmap(int id) {
    return QPixmap(QStringLiteral(":/bitmap/%1").arg(id));
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
