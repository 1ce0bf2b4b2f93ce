#pragma once

#include "VideoSurface.h"

#include <QPointer>
#include <QWidget>

#include <atomic>
#include <memory>

class OpenGlVideoWindow;
class SoftwareVideoSurface;
struct MpvLibrary;
struct mpv_render_context;

// libmpv's OpenGL renderer, in a native window of its own that exists only while a channel is
// wanted: at rest the pane is an ordinary widget painted black, nothing of the main window goes
// through OpenGL, and the GL driver is not even loaded until the first channel. The render
// context lives with the window's GL context: made once the window has one, freed with it when
// the channel stops; libmpv's video output goes with it, so the ready hook asks for the channel
// to be loaded again once a new one exists. Where no GL context can be made after all, the
// picture is drawn in software instead, by a surface of that kind in the same place.
class OpenGlVideoSurface : public QWidget, public VideoSurface {
    Q_OBJECT

public:
    explicit OpenGlVideoSurface(QWidget* parent);
    ~OpenGlVideoSurface() override;

    QWidget* widget() override { return this; }
    const char* kind() const override;
    bool attach(mpv_handle* handle) override;
    void detach() override;
    bool isReady() const override;
    void prepare() override;
    void release() override;
    void clearPicture() override;
    void refreshOverlay() override;
    QImage picture() override;

    // True while the GL window stands in the pane.
    bool hasWindow() const { return m_window != nullptr; }

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
    void fallBackToSoftware();

    mpv_handle* m_handle = nullptr;
    const MpvLibrary* m_api = nullptr;
    mpv_render_context* m_context = nullptr;
    OpenGlVideoWindow* m_window = nullptr;  // owned by the container
    QPointer<QWidget> m_container;
    SoftwareVideoSurface* m_software = nullptr;  // a child, once OpenGL has failed
    std::atomic<bool> m_updateQueued{false};
    bool m_frameDue = false;
    bool m_hasPicture = false;
};
