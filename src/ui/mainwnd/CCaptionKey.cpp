#include "mainwnd/CCaptionKey.h"

#include "widgets/CSkinButton.h"

#include <QFocusEvent>
#include <QPainter>

CCaptionKey::CCaptionKey(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CCaptionKey::paintEvent(QPaintEvent*) {
    // The caption beneath paints the button; only the keyboard's outline is drawn here.
    if (m_keyboardFocus && hasFocus()) {
        QPainter p(this);
        PaintKeyboardFocus(p, rect());
    }
}

void CCaptionKey::focusInEvent(QFocusEvent* event) {
    m_keyboardFocus = IsKeyboardFocus(event->reason());
    update();
    QAbstractButton::focusInEvent(event);
}

void CCaptionKey::focusOutEvent(QFocusEvent* event) {
    m_keyboardFocus = false;
    update();
    QAbstractButton::focusOutEvent(event);
}
