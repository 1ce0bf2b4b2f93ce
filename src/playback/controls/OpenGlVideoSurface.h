#pragma once

#include "VideoSurface.h"

#include <QOpenGLWidget>

#include <atomic>

struct mpv_render_context;

// libmpv's OpenGL renderer into the widget's framebuffer. The render context lives with the
// widget's GL context: made in initializeGL, freed when that context goes (which happens when the
// widget moves to another window, as for full screen), and made again after; libmpv's video
// output goes with the old one, so the ready hook then asks for the channel to be loaded again.
class OpenGlVideoSurface : public QOpenGLWidget, public VideoSurface {
    Q_OBJECT

public:
    explicit OpenGlVideoSurface(QWidget* parent);
    ~OpenGlVideoSurface() override;

    QWidget* widget() override { return this; }
    const char* kind() const override { return "opengl"; }
    bool attach(mpv_handle* handle) override;
    void detach() override;
    bool isReady() const override { return m_context != nullptr; }
    void clearPicture() override;
    void refreshOverlay() override { update(); }

    // True when an OpenGL context can be made on this platform.
    static bool available();

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    static void onUpdate(void* self);
    void takeUpdate();
    bool makeRenderContext();
    void freeRenderContext();

    mpv_handle* m_handle = nullptr;
    mpv_render_context* m_context = nullptr;
    std::atomic<bool> m_updateQueued{false};
    bool m_frameDue = false;
    bool m_hasPicture = false;
    QMetaObject::Connection m_contextGoes;
};
