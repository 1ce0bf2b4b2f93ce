#pragma once

#include "VideoSurface.h"

#include <QPointer>
#include <QWidget>

#include <atomic>

class OpenGlVideoWindow;
struct mpv_render_context;

// libmpv's OpenGL renderer, in a native window of its own that exists only while a channel is
// wanted: at rest the pane is an ordinary widget painted black, and nothing of the main window
// goes through OpenGL. The render context lives with the window's GL context: made once the
// window has one, freed with it when the channel stops; libmpv's video output goes with it, so
// the ready hook asks for the channel to be loaded again once a new one exists.
class OpenGlVideoSurface : public QWidget, public VideoSurface {
    Q_OBJECT

public:
    explicit OpenGlVideoSurface(QWidget* parent);
    ~OpenGlVideoSurface() override;

    QWidget* widget() override { return this; }
    const char* kind() const override { return "opengl"; }
    bool attach(mpv_handle* handle) override;
    void detach() override;
    bool isReady() const override { return m_context != nullptr; }
    void prepare() override;
    void release() override;
    void clearPicture() override;
    void refreshOverlay() override;
    QImage picture() override;

    // True while the GL window stands in the pane.
    bool hasWindow() const { return m_window != nullptr; }
    // True when an OpenGL context can be made on this platform.
    static bool available();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    static void onUpdate(void* self);
    void takeUpdate();
    bool makeRenderContext();
    void freeRenderContext();
    void paintFrame();

    mpv_handle* m_handle = nullptr;
    mpv_render_context* m_context = nullptr;
    OpenGlVideoWindow* m_window = nullptr;  // owned by the container
    QPointer<QWidget> m_container;
    std::atomic<bool> m_updateQueued{false};
    bool m_frameDue = false;
    bool m_hasPicture = false;
};
