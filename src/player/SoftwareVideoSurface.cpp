#include "SoftwareVideoSurface.h"

#include "MpvLibrary.h"

#include <QElapsedTimer>
#include <QPaintEvent>
#include <QPainter>

namespace {

constexpr std::size_t kAlignment = 64;

}  // namespace

SoftwareVideoSurface::SoftwareVideoSurface(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setObjectName(QStringLiteral("videoSurface"));
}

SoftwareVideoSurface::~SoftwareVideoSurface() {
    detach();
}

bool SoftwareVideoSurface::attach(mpv_handle* handle) {
    detach();
    m_api = MpvLibrary::loaded();
    if (m_api == nullptr) {
        return false;
    }
    char api[] = MPV_RENDER_API_TYPE_SW;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, api},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (m_api->render_context_create(&m_context, handle, params) < 0) {
        m_context = nullptr;
        return false;
    }
    m_api->render_context_set_update_callback(m_context, &SoftwareVideoSurface::onUpdate, this);
    if (m_hooks.ready) {
        m_hooks.ready();
    }
    return true;
}

void SoftwareVideoSurface::detach() {
    if (m_context == nullptr) {
        return;
    }
    // Once this returns, libmpv calls nothing of ours any more; updates already queued find no
    // context and do nothing.
    m_api->render_context_set_update_callback(m_context, nullptr, nullptr);
    m_api->render_context_free(m_context);
    m_context = nullptr;
}

// Called on one of libmpv's threads: only queue the work to the GUI thread, once.
void SoftwareVideoSurface::onUpdate(void* self) {
    auto* surface = static_cast<SoftwareVideoSurface*>(self);
    if (!surface->m_updateQueued.exchange(true)) {
        QMetaObject::invokeMethod(
            surface, [surface] { surface->takeUpdate(); }, Qt::QueuedConnection);
    }
}

void SoftwareVideoSurface::takeUpdate() {
    m_updateQueued = false;
    if (m_context == nullptr) {
        return;
    }
    if ((m_api->render_context_update(m_context) & MPV_RENDER_UPDATE_FRAME) != 0) {
        render();
        m_hasPicture = true;
        update();
        noteFrame();
    }
}

void SoftwareVideoSurface::render() {
    const QSize size = this->size() * devicePixelRatioF();
    if (size.isEmpty()) {
        return;
    }
    if (m_image.size() != size) {
        const auto stride =
            (static_cast<std::size_t>(size.width()) * 4 + kAlignment - 1) / kAlignment * kAlignment;
        m_buffer.reset(
            new unsigned char[stride * static_cast<std::size_t>(size.height()) + kAlignment]);
        const auto address = reinterpret_cast<std::uintptr_t>(m_buffer.get());
        auto* aligned = m_buffer.get() + (kAlignment - address % kAlignment) % kAlignment;
        m_image = QImage(aligned, size.width(), size.height(), static_cast<qsizetype>(stride),
                         QImage::Format_RGB32);
        m_image.setDevicePixelRatio(devicePixelRatioF());
    }
    int renderSize[2] = {size.width(), size.height()};
    // Blue, green, red and a padding byte: the byte order of Qt's 32-bit RGB on this machine.
    char format[] = "bgr0";
    std::size_t stride = static_cast<std::size_t>(m_image.bytesPerLine());
    int block = 0;  // never wait for the frame's display time on the GUI thread
    mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, renderSize},
                                 {MPV_RENDER_PARAM_SW_FORMAT, format},
                                 {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                                 {MPV_RENDER_PARAM_SW_POINTER, m_image.bits()},
                                 {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    QElapsedTimer took;
    took.start();
    m_api->render_context_render(m_context, params);
    // The padding byte comes back as whatever the scaler left; Qt reads it as alpha wherever
    // the picture is copied (a grab, a translucent window), so it is made opaque.
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(m_image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            line[x] |= 0xFF000000u;
        }
    }
    noteRender(took.nsecsElapsed() / 1000);
}

void SoftwareVideoSurface::clearPicture() {
    m_hasPicture = false;
    update();
}

void SoftwareVideoSurface::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (m_hasPicture && !m_image.isNull()) {
        p.drawImage(QPoint(0, 0), m_image);
        // A picture made for an older size leaves the rest black until the next frame.
        const QRect drawn(QPoint(0, 0), m_image.deviceIndependentSize().toSize());
        p.fillRect(QRect(drawn.right() + 1, 0, width(), height()), Qt::black);
        p.fillRect(QRect(0, drawn.bottom() + 1, width(), height()), Qt::black);
    } else {
        p.fillRect(rect(), Qt::black);
    }
    if (m_hooks.paintOverlay && overlayShown()) {
        m_hooks.paintOverlay(p, rect());
    }
}

void SoftwareVideoSurface::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The current frame is drawn again at the new size at once, not at the next frame.
    if (m_context != nullptr && m_hasPicture) {
        render();
    }
}
