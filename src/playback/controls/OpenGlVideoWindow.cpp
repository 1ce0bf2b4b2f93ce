#include "OpenGlVideoWindow.h"

#include <QCoreApplication>
#include <QWidget>

OpenGlVideoWindow::OpenGlVideoWindow(QWidget* target)
    : QOpenGLWindow(QOpenGLWindow::NoPartialUpdate), m_target(target) {
    // The keyboard stays with the widgets around, where the window's keys are handled.
    setFlag(Qt::WindowDoesNotAcceptFocus);
}

void OpenGlVideoWindow::initializeGL() {
    if (initialised) {
        initialised();
    }
}

void OpenGlVideoWindow::paintGL() {
    if (painting) {
        painting();
    }
}

bool OpenGlVideoWindow::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            // The same coordinates: the window fills the widget it stands in.
            if (m_target) {
                QCoreApplication::sendEvent(m_target, event);
                return true;
            }
            break;
        default:
            break;
    }
    return QOpenGLWindow::event(event);
}
