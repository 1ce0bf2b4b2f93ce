#pragma once

#include "VideoSurface.h"

#include <QImage>
#include <QWidget>

#include <atomic>
#include <memory>

struct MpvLibrary;
struct mpv_render_context;

// libmpv's software renderer into an image the widget paints: works on every platform,
// including one without OpenGL.
class SoftwareVideoSurface : public QWidget, public VideoSurface {
    Q_OBJECT

public:
    explicit SoftwareVideoSurface(QWidget* parent);
    ~SoftwareVideoSurface() override;

    QWidget* widget() override { return this; }
    const char* kind() const override { return "software"; }
    bool attach(mpv_handle* handle) override;
    void detach() override;
    bool isReady() const override { return m_context != nullptr; }
    void clearPicture() override;
    void refreshOverlay() override { update(); }
    QImage picture() override { return grab().toImage(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    static void onUpdate(void* self);
    void takeUpdate();
    void render();

    const MpvLibrary* m_api = nullptr;
    mpv_render_context* m_context = nullptr;
    std::atomic<bool> m_updateQueued{false};
    std::unique_ptr<unsigned char[]> m_buffer;
    QImage m_image;  // over m_buffer, aligned as the renderer likes
    bool m_hasPicture = false;
};
