#include "OpenGlVideoWindow.h"

#include <QCoreApplication>
#include <QWidget>

OpenGlVideoWindow::OpenGlVideoWindow(QWidget* target) : m_target(target) {
    setSurfaceType(QSurface::OpenGLSurface);
    // The keyboard stays with the widgets around, where the window's keys are handled.
    setFlag(Qt::WindowDoesNotAcceptFocus);
}

QSize OpenGlVideoWindow::devicePixels() const {
    return size() * devicePixelRatio();
}

void OpenGlVideoWindow::tell() {
    if (changed) {
        changed();
    }
}

void OpenGlVideoWindow::exposeEvent(QExposeEvent*) {
    tell();
}

void OpenGlVideoWindow::resizeEvent(QResizeEvent*) {
    tell();
}

bool OpenGlVideoWindow::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::UpdateRequest:
            tell();
            return true;
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
    return QWindow::event(event);
}
