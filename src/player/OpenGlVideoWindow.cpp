#include "OpenGlVideoWindow.h"

#include <QCoreApplication>
#include <QImage>
#include <QOpenGLFunctions>
#include <QWidget>

OpenGlVideoWindow::OpenGlVideoWindow(QWidget* target) : m_target(target) {
    setSurfaceType(QSurface::OpenGLSurface);
    // The keyboard stays with the widgets around, where the window's keys are handled.
    setFlag(Qt::WindowDoesNotAcceptFocus);
}

OpenGlVideoWindow::~OpenGlVideoWindow() {
    m_gl.reset();
}

bool OpenGlVideoWindow::makeContext() {
    if (m_gl) {
        return true;
    }
    auto context = std::make_unique<QOpenGLContext>();
    context->setFormat(requestedFormat());
    if (!context->create()) {
        return false;
    }
    create();
    if (!context->makeCurrent(this)) {
        return false;
    }
    context->doneCurrent();
    m_gl = std::move(context);
    return true;
}

bool OpenGlVideoWindow::makeCurrent() {
    return m_gl && m_gl->makeCurrent(this);
}

void OpenGlVideoWindow::doneCurrent() {
    if (m_gl) {
        m_gl->doneCurrent();
    }
}

void OpenGlVideoWindow::render() {
    if (!isExposed() || !makeCurrent()) {
        return;
    }
    if (painting) {
        painting();
    }
    m_gl->swapBuffers(this);
    if (swapped) {
        swapped();
    }
}

QImage OpenGlVideoWindow::grabFrame() {
    if (!isExposed() || !makeCurrent()) {
        return {};
    }
    // Drawn again and read back before the swap, which leaves the back buffer undefined.
    if (painting) {
        painting();
    }
    const QSize size = this->size() * devicePixelRatio();
    QImage image(size, QImage::Format_RGBA8888);
    m_gl->functions()->glReadPixels(0, 0, size.width(), size.height(), GL_RGBA, GL_UNSIGNED_BYTE,
                                    image.bits());
    m_gl->swapBuffers(this);
    return image.mirrored().convertToFormat(QImage::Format_RGB32);
}

void OpenGlVideoWindow::exposeEvent(QExposeEvent*) {
    if (isExposed()) {
        render();
    }
}

bool OpenGlVideoWindow::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::UpdateRequest:
            render();
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
