#pragma once

#include "VideoSurface.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class OpenGlRenderer;
class OpenGlVideoWindow;
class SoftwareVideoSurface;
struct MpvLibrary;

// libmpv's OpenGL renderer, in a native window of its own that exists only while a channel is
// wanted: at rest the pane is an ordinary widget painted black, nothing of the main window goes
// through OpenGL, and the GL driver is not even loaded until the first channel. The window's
// frames are drawn on a thread of their own (OpenGlRenderer), made when the channel is wanted
// and ended with it; libmpv's video output goes with it, so the ready hook asks for the channel
// to be loaded again once a new one exists. The notes over the picture are painted here, on the
// GUI thread, into an image the renderer lays over each frame. Where no GL context can be made
// after all, the picture is drawn in software instead, by a surface of that kind in the same
// place.
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
    void contextMade(bool made);
    void started(bool made);
    void windowChanged();
    // The notes painted anew for the renderer, or none when there are none to show.
    void paintOverlayImage();
    void fallBackToSoftware();

    mpv_handle* m_handle = nullptr;
    const MpvLibrary* m_api = nullptr;
    OpenGlVideoWindow* m_window = nullptr;  // owned by the container
    QPointer<QWidget> m_container;
    std::unique_ptr<OpenGlRenderer> m_renderer;  // while a handle is attached
    bool m_wanted = false;                       // a channel is wanted: a session is on
    bool m_rendering = false;                    // the session's renderer draws
    SoftwareVideoSurface* m_software = nullptr;  // a child, once OpenGL has failed
    QSize m_overlaySize;                         // what the notes were last painted for
};
