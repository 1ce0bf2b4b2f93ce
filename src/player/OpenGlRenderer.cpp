#include "OpenGlRenderer.h"

#include "MpvLibrary.h"

#include <mpv/render_gl.h>

#include <QElapsedTimer>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLPaintDevice>
#include <QPainter>
#include <QThread>
#include <QWindow>

namespace {

void* procAddress(void*, const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context != nullptr ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

}  // namespace

OpenGlRenderer::OpenGlRenderer(mpv_handle* handle, const MpvLibrary* api, Hooks hooks)
    : m_handle(handle),
      m_api(api),
      m_hooks(std::move(hooks)),
      m_thread(std::make_unique<QThread>()) {
    m_thread->setObjectName(QStringLiteral("VELO render"));
    m_worker = new QObject;
    m_worker->moveToThread(m_thread.get());
    connect(m_thread.get(), &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread->start();
}

OpenGlRenderer::~OpenGlRenderer() {
    // libmpv's renderer must be gone before the handle may be destroyed, and the GL context
    // before its window: both are freed on their thread, and this waits for it.
    QMetaObject::invokeMethod(
        m_worker, [this] { stopOnThread(); }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
}

void OpenGlRenderer::toGui(int session, std::function<void(const Hooks&)> hook) {
    QMetaObject::invokeMethod(
        this,
        [this, session, hook = std::move(hook)] {
            // A copy: what a hook does may end this renderer.
            const Hooks hooks = m_hooks;
            if (session == m_session) {
                hook(hooks);
            }
        },
        Qt::QueuedConnection);
}

void OpenGlRenderer::begin(const QSurfaceFormat& format) {
    const int session = ++m_session;
    {
        QMutexLocker locked(&m_lock);
        m_size = QSize();
        m_exposed = false;
        m_overlay = QImage();
    }
    QMetaObject::invokeMethod(
        m_worker, [this, format, session] { makeContextOnThread(format, session); },
        Qt::QueuedConnection);
}

void OpenGlRenderer::setWindow(QWindow* window) {
    const int session = m_session;
    QMetaObject::invokeMethod(
        m_worker, [this, window, session] { startOnThread(window, session); },
        Qt::QueuedConnection);
}

void OpenGlRenderer::end(std::function<void()> done) {
    // No session is current until the next begin: what the ended one still reports is dropped.
    ++m_session;
    {
        QMutexLocker locked(&m_lock);
        m_exposed = false;
        m_overlay = QImage();
    }
    QMetaObject::invokeMethod(
        m_worker,
        [this, done = std::move(done)] {
            stopOnThread();
            QMetaObject::invokeMethod(this, done, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void OpenGlRenderer::makeContextOnThread(const QSurfaceFormat& format, int session) {
    // The first context of a run loads the GL driver and sets it up for the display: the
    // longest part of a first channel's start, done here rather than on the GUI thread.
    m_drawingSession = session;
    auto context = std::make_unique<QOpenGLContext>();
    context->setFormat(format);
    const bool made = context->create();
    if (made) {
        m_gl = std::move(context);
    }
    toGui(session, [made](const Hooks& hooks) {
        if (hooks.contextMade) {
            hooks.contextMade(made);
        }
    });
}

void OpenGlRenderer::startOnThread(QWindow* window, int session) {
    if (session != m_drawingSession || !m_gl) {
        return;
    }
    m_window = window;
    bool made = m_gl->makeCurrent(m_window);
    if (made) {
        char api[] = MPV_RENDER_API_TYPE_OPENGL;
        mpv_opengl_init_params gl{&procAddress, nullptr};
        mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, api},
                                     {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        if (m_api->render_context_create(&m_context, m_handle, params) < 0) {
            m_context = nullptr;
            made = false;
        } else {
            m_api->render_context_set_update_callback(m_context, &OpenGlRenderer::onUpdate, this);
        }
        m_gl->doneCurrent();
    }
    toGui(session, [made](const Hooks& hooks) {
        if (hooks.started) {
            hooks.started(made);
        }
    });
    if (made) {
        render();
    }
}

void OpenGlRenderer::stopOnThread() {
    if (m_context != nullptr) {
        if (m_gl && m_window != nullptr) {
            m_gl->makeCurrent(m_window);
        }
        m_api->render_context_set_update_callback(m_context, nullptr, nullptr);
        m_api->render_context_free(m_context);
        m_context = nullptr;
    }
    if (m_gl) {
        m_gl->doneCurrent();
        m_gl.reset();
    }
    m_window = nullptr;
    m_hasPicture = false;
    m_drawingSession = 0;
}

void OpenGlRenderer::onUpdate(void* self) {
    static_cast<OpenGlRenderer*>(self)->requestFrame();
}

void OpenGlRenderer::requestFrame() {
    // Any number of asks before the renderer turns make one frame.
    if (!m_renderQueued.exchange(true)) {
        QMetaObject::invokeMethod(
            m_worker, [this] { render(); }, Qt::QueuedConnection);
    }
}

void OpenGlRenderer::setTarget(QSize devicePixels, bool exposed) {
    {
        QMutexLocker locked(&m_lock);
        m_size = devicePixels;
        m_exposed = exposed;
    }
    requestFrame();
}

void OpenGlRenderer::setOverlay(const QImage& overlay) {
    {
        QMutexLocker locked(&m_lock);
        m_overlay = overlay;
    }
    requestFrame();
}

void OpenGlRenderer::clearPicture() {
    m_clear = true;
    requestFrame();
}

void OpenGlRenderer::render() {
    m_renderQueued = false;
    QSize size;
    {
        QMutexLocker locked(&m_lock);
        if (!m_exposed) {
            return;
        }
        size = m_size;
    }
    draw(size, nullptr);
}

QImage OpenGlRenderer::grab() {
    QImage image;
    QMetaObject::invokeMethod(
        m_worker,
        [this, &image] {
            QSize size;
            {
                QMutexLocker locked(&m_lock);
                size = m_exposed ? m_size : QSize();
            }
            draw(size, &image);
        },
        Qt::BlockingQueuedConnection);
    return image;
}

void OpenGlRenderer::draw(QSize size, QImage* readInto) {
    if (!m_gl || m_window == nullptr || size.isEmpty() || !m_gl->makeCurrent(m_window)) {
        return;
    }
    if (m_clear.exchange(false)) {
        m_hasPicture = false;
    }
    bool newFrame = false;
    qint64 renderUs = 0;
    if (m_context != nullptr) {
        newFrame = (m_api->render_context_update(m_context) & MPV_RENDER_UPDATE_FRAME) != 0;
    }
    if (m_context != nullptr && (m_hasPicture || newFrame)) {
        mpv_opengl_fbo fbo{0, size.width(), size.height(), 0};
        int flip = 1;
        int block = 0;  // a frame is drawn when libmpv says it is due, never waited for
        mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                                     {MPV_RENDER_PARAM_FLIP_Y, &flip},
                                     {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        QElapsedTimer took;
        took.start();
        m_api->render_context_render(m_context, params);
        renderUs = took.nsecsElapsed() / 1000;
        m_hasPicture = true;
    } else {
        QOpenGLFunctions* gl = m_gl->functions();
        gl->glViewport(0, 0, size.width(), size.height());
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
    }
    QImage overlay;
    {
        QMutexLocker locked(&m_lock);
        overlay = m_overlay;
    }
    if (!overlay.isNull()) {
        QOpenGLPaintDevice device(size);
        QPainter painter(&device);
        painter.drawImage(QRect(QPoint(0, 0), size), overlay);
    }
    if (readInto != nullptr) {
        QImage image(size, QImage::Format_RGBA8888);
        m_gl->functions()->glReadPixels(0, 0, size.width(), size.height(), GL_RGBA,
                                        GL_UNSIGNED_BYTE, image.bits());
        *readInto = image.mirrored().convertToFormat(QImage::Format_RGB32);
    }
    m_gl->swapBuffers(m_window);
    if (m_context != nullptr) {
        m_api->render_context_report_swap(m_context);
    }
    if (newFrame) {
        toGui(m_drawingSession, [renderUs](const Hooks& hooks) {
            if (hooks.frameShown) {
                hooks.frameShown(renderUs);
            }
        });
    }
}
