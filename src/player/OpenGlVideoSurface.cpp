#include "OpenGlVideoSurface.h"

#include "OpenGlRenderer.h"
#include "OpenGlVideoWindow.h"
#include "SoftwareVideoSurface.h"

#include "MpvLibrary.h"

#include <QOpenGLContext>
#include <QPaintEvent>
#include <QPainter>

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
    // libmpv's renderer is made once a channel is wanted and its window has a GL context.
    OpenGlRenderer::Hooks hooks;
    hooks.contextMade = [this](bool made) { contextMade(made); };
    hooks.started = [this](bool made) { started(made); };
    hooks.frameShown = [this](qint64 renderUs) {
        noteRender(renderUs);
        noteFrame();
    };
    m_renderer = std::make_unique<OpenGlRenderer>(handle, m_api, std::move(hooks));
    return true;
}

void OpenGlVideoSurface::detach() {
    if (m_software != nullptr) {
        m_software->detach();
    }
    release();
    // Waits for the renderer's thread to free what it has: the handle goes after this.
    m_renderer.reset();
    m_handle = nullptr;
}

bool OpenGlVideoSurface::isReady() const {
    return m_software != nullptr ? m_software->isReady() : m_rendering;
}

void OpenGlVideoSurface::prepare() {
    if (m_software != nullptr || m_renderer == nullptr || m_wanted) {
        return;
    }
    m_wanted = true;
    m_renderer->begin(QSurfaceFormat::defaultFormat());
}

void OpenGlVideoSurface::contextMade(bool made) {
    // Whether the driver draws from a thread other than the GUI thread is asked once it is
    // loaded: Qt finds out with a context of its own, on this thread, which would otherwise
    // load the driver here.
    if (made && !QOpenGLContext::supportsThreadedOpenGL()) {
        qWarning("VELO player: the OpenGL driver cannot draw from a thread of its own here");
        made = false;
    }
    if (!made) {
        // Not from inside the renderer's own call: falling back ends the renderer.
        QMetaObject::invokeMethod(
            this, [this] { fallBackToSoftware(); }, Qt::QueuedConnection);
        return;
    }
    // The driver is loaded by now, so making the native window for it costs the GUI thread
    // little.
    m_window = new OpenGlVideoWindow(this);
    m_window->changed = [this] { windowChanged(); };
    m_container = QWidget::createWindowContainer(m_window, this);
    m_container->setObjectName(QStringLiteral("videoWindow"));
    m_container->setFocusPolicy(Qt::NoFocus);
    m_container->setGeometry(rect());
    m_window->setCursor(cursor());
    m_container->show();
    m_window->create();
    m_renderer->setWindow(m_window);
    windowChanged();
}

void OpenGlVideoSurface::started(bool made) {
    if (!made) {
        // Not from inside the renderer's own call: falling back ends the renderer.
        QMetaObject::invokeMethod(
            this, [this] { fallBackToSoftware(); }, Qt::QueuedConnection);
        return;
    }
    m_rendering = true;
    if (m_hooks.ready) {
        m_hooks.ready();
    }
}

void OpenGlVideoSurface::windowChanged() {
    if (m_renderer == nullptr || m_window == nullptr) {
        return;
    }
    const QSize size = m_window->devicePixels();
    if (size != m_overlaySize) {
        paintOverlayImage();
    }
    m_renderer->setTarget(size, m_window->isExposed());
}

void OpenGlVideoSurface::paintOverlayImage() {
    if (m_renderer == nullptr || m_window == nullptr) {
        return;
    }
    // Text over the picture only while there is some: an empty overlay costs the renderer
    // nothing.
    m_overlaySize = m_window->devicePixels();
    if (!m_hooks.paintOverlay || !overlayShown() || m_overlaySize.isEmpty()) {
        m_renderer->setOverlay(QImage());
        return;
    }
    QImage overlay(m_overlaySize, QImage::Format_ARGB32_Premultiplied);
    overlay.setDevicePixelRatio(m_window->devicePixelRatio());
    overlay.fill(Qt::transparent);
    {
        QPainter p(&overlay);
        m_hooks.paintOverlay(p, QRect(QPoint(0, 0), m_window->size()));
    }
    m_renderer->setOverlay(overlay);
}

void OpenGlVideoSurface::fallBackToSoftware() {
    qWarning("VELO player: no OpenGL context for the picture here; it is drawn in software");
    mpv_handle* handle = m_handle;
    release();
    m_renderer.reset();
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
    if (m_software != nullptr || !m_wanted) {
        return;
    }
    m_wanted = false;
    m_rendering = false;
    m_window = nullptr;
    m_overlaySize = QSize();
    // The window is out of sight at once; it goes with its container once the renderer's
    // thread has freed libmpv's renderer and the GL context made for it, without this thread
    // waiting for that.
    const QPointer<QWidget> container = m_container;
    m_container.clear();
    if (container) {
        container->hide();
    }
    if (m_renderer != nullptr) {
        m_renderer->end([container] { delete container.data(); });
    } else {
        delete container.data();
    }
    update();
}

void OpenGlVideoSurface::clearPicture() {
    if (m_software != nullptr) {
        m_software->clearPicture();
        return;
    }
    if (m_wanted) {
        m_renderer->clearPicture();
    }
    refreshOverlay();
}

void OpenGlVideoSurface::refreshOverlay() {
    if (m_software != nullptr) {
        m_software->refreshOverlay();
    } else if (m_window != nullptr) {
        paintOverlayImage();
    } else {
        update();
    }
}

QImage OpenGlVideoSurface::picture() {
    if (m_software != nullptr) {
        return m_software->picture();
    }
    if (m_wanted && m_window != nullptr && m_window->isExposed()) {
        return m_renderer->grab();
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
