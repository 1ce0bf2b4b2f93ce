#include "OpenGlVideoSurface.h"

#include "OpenGlVideoWindow.h"

#include <mpv/client.h>
#include <mpv/render_gl.h>

#include <QElapsedTimer>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPainter>
#include <QPaintEvent>

namespace {

void* procAddress(void*, const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context != nullptr ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

}  // namespace

OpenGlVideoSurface::OpenGlVideoSurface(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("videoSurface"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

OpenGlVideoSurface::~OpenGlVideoSurface() {
    detach();
}

bool OpenGlVideoSurface::available() {
    static const bool canMake = [] {
        QOpenGLContext context;
        if (!context.create()) {
            return false;
        }
        QOffscreenSurface surface;
        surface.setFormat(context.format());
        surface.create();
        const bool current = surface.isValid() && context.makeCurrent(&surface);
        if (current) {
            context.doneCurrent();
        }
        return current;
    }();
    return canMake;
}

bool OpenGlVideoSurface::attach(mpv_handle* handle) {
    detach();
    // The render context is made once a channel is wanted and its window has a GL context.
    m_handle = handle;
    return true;
}

void OpenGlVideoSurface::detach() {
    release();
    m_handle = nullptr;
}

void OpenGlVideoSurface::prepare() {
    if (m_window != nullptr || m_handle == nullptr) {
        return;
    }
    m_window = new OpenGlVideoWindow(this);
    m_window->initialised = [this] { makeRenderContext(); };
    m_window->painting = [this] { paintFrame(); };
    connect(m_window, &QOpenGLWindow::frameSwapped, this, [this] {
        if (m_context != nullptr) {
            mpv_render_context_report_swap(m_context);
        }
    });
    m_container = QWidget::createWindowContainer(m_window, this);
    m_container->setObjectName(QStringLiteral("videoWindow"));
    m_container->setFocusPolicy(Qt::NoFocus);
    m_container->setGeometry(rect());
    m_window->setCursor(cursor());
    m_container->show();
}

void OpenGlVideoSurface::release() {
    if (m_window != nullptr && m_context != nullptr && m_window->context() != nullptr) {
        m_window->makeCurrent();
        freeRenderContext();
        m_window->doneCurrent();
    }
    freeRenderContext();
    m_window = nullptr;
    m_frameDue = false;
    m_hasPicture = false;
    // The window goes with its container, and its GL context with it.
    delete m_container.data();
    update();
}

bool OpenGlVideoSurface::makeRenderContext() {
    if (m_handle == nullptr || m_context != nullptr) {
        return m_context != nullptr;
    }
    char api[] = MPV_RENDER_API_TYPE_OPENGL;
    mpv_opengl_init_params gl{&procAddress, nullptr};
    mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, api},
                                 {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (mpv_render_context_create(&m_context, m_handle, params) < 0) {
        m_context = nullptr;
        qWarning("VELO player: libmpv cannot draw with this OpenGL context");
        return false;
    }
    mpv_render_context_set_update_callback(m_context, &OpenGlVideoSurface::onUpdate, this);
    if (m_hooks.ready) {
        m_hooks.ready();
    }
    return true;
}

void OpenGlVideoSurface::freeRenderContext() {
    if (m_context == nullptr) {
        return;
    }
    mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
    mpv_render_context_free(m_context);
    m_context = nullptr;
}

void OpenGlVideoSurface::onUpdate(void* self) {
    auto* surface = static_cast<OpenGlVideoSurface*>(self);
    if (!surface->m_updateQueued.exchange(true)) {
        QMetaObject::invokeMethod(
            surface, [surface] { surface->takeUpdate(); }, Qt::QueuedConnection);
    }
}

void OpenGlVideoSurface::takeUpdate() {
    m_updateQueued = false;
    if (m_context != nullptr && m_window != nullptr &&
        (mpv_render_context_update(m_context) & MPV_RENDER_UPDATE_FRAME) != 0) {
        m_frameDue = true;
        m_window->update();
    }
}

void OpenGlVideoSurface::paintFrame() {
    const qreal ratio = m_window->devicePixelRatio();
    const int w = static_cast<int>(m_window->width() * ratio);
    const int h = static_cast<int>(m_window->height() * ratio);
    if (m_context != nullptr && (m_hasPicture || m_frameDue)) {
        mpv_opengl_fbo fbo{static_cast<int>(m_window->defaultFramebufferObject()), w, h, 0};
        int flip = 1;
        int block = 0;  // never wait for the frame's display time on the GUI thread
        mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                                     {MPV_RENDER_PARAM_FLIP_Y, &flip},
                                     {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        QElapsedTimer took;
        took.start();
        mpv_render_context_render(m_context, params);
        noteRender(took.nsecsElapsed() / 1000);
        if (m_frameDue) {
            m_frameDue = false;
            m_hasPicture = true;
            noteFrame();
        }
    } else {
        QOpenGLFunctions* gl = m_window->context()->functions();
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
    }
    // Text over the picture is drawn only while there is some: a painter on the GL window costs
    // a frame's worth of state changes.
    if (m_hooks.paintOverlay && overlayShown()) {
        QPainter p(m_window);
        m_hooks.paintOverlay(p, QRect(QPoint(0, 0), m_window->size()));
    }
}

void OpenGlVideoSurface::clearPicture() {
    m_hasPicture = false;
    m_frameDue = false;
    refreshOverlay();
}

void OpenGlVideoSurface::refreshOverlay() {
    if (m_window != nullptr) {
        m_window->update();
    } else {
        update();
    }
}

QImage OpenGlVideoSurface::picture() {
    return m_window != nullptr && m_window->isExposed() ? m_window->grabFramebuffer()
                                                        : grab().toImage();
}

void OpenGlVideoSurface::paintEvent(QPaintEvent* event) {
    // At rest, and for a moment before the window shows: black, with the notes.
    QPainter p(this);
    p.fillRect(event->rect(), Qt::black);
    if (m_hooks.paintOverlay && overlayShown()) {
        m_hooks.paintOverlay(p, rect());
    }
}

void OpenGlVideoSurface::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_container) {
        m_container->setGeometry(rect());
    }
}

bool OpenGlVideoSurface::event(QEvent* event) {
    // The pointer the pane asks for (hidden in full screen) is the GL window's too.
    if (event->type() == QEvent::CursorChange && m_window != nullptr) {
        m_window->setCursor(cursor());
    }
    return QWidget::event(event);
}
