#include "OpenGlVideoSurface.h"

#include <mpv/client.h>
#include <mpv/render_gl.h>

#include <QElapsedTimer>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPainter>

namespace {

void* procAddress(void*, const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context != nullptr ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

}  // namespace

OpenGlVideoSurface::OpenGlVideoSurface(QWidget* parent) : QOpenGLWidget(parent) {
    setObjectName(QStringLiteral("videoSurface"));
    connect(this, &QOpenGLWidget::frameSwapped, this, [this] {
        if (m_context != nullptr) {
            mpv_render_context_report_swap(m_context);
        }
    });
}

OpenGlVideoSurface::~OpenGlVideoSurface() {
    detach();
    // The base class destroys the context once this object is gone.
    disconnect(m_contextGoes);
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
    m_handle = handle;
    // Without a GL context yet, the render context is made when the widget first shows.
    if (context() != nullptr && context()->isValid()) {
        makeCurrent();
        const bool made = makeRenderContext();
        doneCurrent();
        return made;
    }
    return true;
}

void OpenGlVideoSurface::detach() {
    if (m_context != nullptr && context() != nullptr) {
        makeCurrent();
        freeRenderContext();
        doneCurrent();
    }
    freeRenderContext();
    m_handle = nullptr;
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
        return false;
    }
    mpv_render_context_set_update_callback(m_context, &OpenGlVideoSurface::onUpdate, this);
    // After a lost context libmpv's video output is gone with it: the owner's ready hook
    // loads again what plays.
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

void OpenGlVideoSurface::initializeGL() {
    disconnect(m_contextGoes);
    m_contextGoes = connect(
        context(), &QOpenGLContext::aboutToBeDestroyed, this,
        [this] {
            if (m_context != nullptr) {
                makeCurrent();
                freeRenderContext();
                doneCurrent();
            }
        },
        Qt::DirectConnection);
    makeRenderContext();
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
    if (m_context != nullptr &&
        (mpv_render_context_update(m_context) & MPV_RENDER_UPDATE_FRAME) != 0) {
        m_frameDue = true;
        update();
    }
}

void OpenGlVideoSurface::paintGL() {
    const qreal ratio = devicePixelRatioF();
    const int w = static_cast<int>(width() * ratio);
    const int h = static_cast<int>(height() * ratio);
    if (m_context != nullptr && (m_hasPicture || m_frameDue)) {
        mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()), w, h, 0};
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
        QOpenGLFunctions* gl = context()->functions();
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
    }
    if (m_hooks.paintOverlay) {
        QPainter p(this);
        m_hooks.paintOverlay(p, rect());
    }
}

void OpenGlVideoSurface::clearPicture() {
    m_hasPicture = false;
    m_frameDue = false;
    update();
}
