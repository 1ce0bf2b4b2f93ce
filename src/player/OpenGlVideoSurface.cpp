#include "OpenGlVideoSurface.h"

#include "OpenGlVideoWindow.h"
#include "SoftwareVideoSurface.h"

#include "MpvLibrary.h"

#include <mpv/render_gl.h>

#include <QElapsedTimer>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLPaintDevice>
#include <QPaintEvent>
#include <QPainter>

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

const char* OpenGlVideoSurface::kind() const {
    return m_software != nullptr ? m_software->kind() : "opengl";
}

bool OpenGlVideoSurface::attach(mpv_handle* handle) {
    detach();
    m_handle = handle;
    m_api = MpvLibrary::loaded();
    if (m_api == nullptr) {
        return false;
    }
    if (m_software != nullptr) {
        return m_software->attach(handle);
    }
    // The render context is made once a channel is wanted and its window has a GL context.
    return true;
}

void OpenGlVideoSurface::detach() {
    if (m_software != nullptr) {
        m_software->detach();
    }
    release();
    m_handle = nullptr;
}

bool OpenGlVideoSurface::isReady() const {
    return m_software != nullptr ? m_software->isReady() : m_context != nullptr;
}

void OpenGlVideoSurface::prepare() {
    if (m_software != nullptr || m_window != nullptr || m_handle == nullptr) {
        return;
    }
    m_window = new OpenGlVideoWindow(this);
    m_window->painting = [this] { paintFrame(); };
    m_window->swapped = [this] {
        if (m_context != nullptr) {
            m_api->render_context_report_swap(m_context);
        }
    };
    m_container = QWidget::createWindowContainer(m_window, this);
    m_container->setObjectName(QStringLiteral("videoWindow"));
    m_container->setFocusPolicy(Qt::NoFocus);
    m_container->setGeometry(rect());
    m_window->setCursor(cursor());
    m_container->show();
    if (!m_window->makeContext() || !m_window->makeCurrent()) {
        fallBackToSoftware();
        return;
    }
    const bool made = makeRenderContext();
    m_window->doneCurrent();
    if (!made) {
        fallBackToSoftware();
        return;
    }
    if (m_hooks.ready) {
        m_hooks.ready();
    }
}

void OpenGlVideoSurface::fallBackToSoftware() {
    qWarning("VELO player: no OpenGL context for the picture here; it is drawn in software");
    mpv_handle* handle = m_handle;
    release();
    m_software = new SoftwareVideoSurface(this);
    m_software->setGeometry(rect());
    // The pane's hands and notes reach the picture as before.
    m_software->setAttribute(Qt::WA_TransparentForMouseEvents);
    Hooks hooks = m_hooks;
    hooks.frameShown = [this] { noteFrame(); };
    m_software->setHooks(hooks);
    m_software->show();
    m_handle = handle;
    m_software->attach(handle);
}

void OpenGlVideoSurface::release() {
    if (m_software != nullptr) {
        return;
    }
    if (m_window != nullptr && m_context != nullptr && m_window->makeCurrent()) {
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
    if (m_api->render_context_create(&m_context, m_handle, params) < 0) {
        m_context = nullptr;
        return false;
    }
    m_api->render_context_set_update_callback(m_context, &OpenGlVideoSurface::onUpdate, this);
    return true;
}

void OpenGlVideoSurface::freeRenderContext() {
    if (m_context == nullptr) {
        return;
    }
    m_api->render_context_set_update_callback(m_context, nullptr, nullptr);
    m_api->render_context_free(m_context);
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
        (m_api->render_context_update(m_context) & MPV_RENDER_UPDATE_FRAME) != 0) {
        m_frameDue = true;
        m_window->requestFrame();
    }
}

void OpenGlVideoSurface::paintFrame() {
    const QSize size = m_window->size() * m_window->devicePixelRatio();
    if (m_context != nullptr && (m_hasPicture || m_frameDue)) {
        mpv_opengl_fbo fbo{0, size.width(), size.height(), 0};
        int flip = 1;
        int block = 0;  // never wait for the frame's display time on the GUI thread
        mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                                     {MPV_RENDER_PARAM_FLIP_Y, &flip},
                                     {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        QElapsedTimer took;
        took.start();
        m_api->render_context_render(m_context, params);
        noteRender(took.nsecsElapsed() / 1000);
        if (m_frameDue) {
            m_frameDue = false;
            m_hasPicture = true;
            noteFrame();
        }
    } else {
        QOpenGLFunctions* gl = m_window->glContext()->functions();
        gl->glViewport(0, 0, size.width(), size.height());
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
    }
    // Text over the picture is drawn only while there is some: a painter on the GL window costs
    // a frame's worth of state changes.
    if (m_hooks.paintOverlay && overlayShown()) {
        QOpenGLPaintDevice device(size);
        device.setDevicePixelRatio(m_window->devicePixelRatio());
        QPainter p(&device);
        m_hooks.paintOverlay(p, QRect(QPoint(0, 0), m_window->size()));
    }
}

void OpenGlVideoSurface::clearPicture() {
    if (m_software != nullptr) {
        m_software->clearPicture();
        return;
    }
    m_hasPicture = false;
    m_frameDue = false;
    refreshOverlay();
}

void OpenGlVideoSurface::refreshOverlay() {
    if (m_software != nullptr) {
        m_software->refreshOverlay();
    } else if (m_window != nullptr) {
        m_window->requestFrame();
    } else {
        update();
    }
}

QImage OpenGlVideoSurface::picture() {
    if (m_software != nullptr) {
        return m_software->picture();
    }
    if (m_window != nullptr && m_window->isExposed()) {
        return m_window->grabFrame();
    }
    return grab().toImage();
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
    if (m_software != nullptr) {
        m_software->setGeometry(rect());
    }
}

bool OpenGlVideoSurface::event(QEvent* event) {
    // The pointer the pane asks for (hidden in full screen) is the GL window's too.
    if (event->type() == QEvent::CursorChange && m_window != nullptr) {
        m_window->setCursor(cursor());
    }
    return QWidget::event(event);
}
