#pragma once

#include <QImage>
#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <functional>

struct mpv_handle;
class QPainter;
class QRect;
class QWidget;

// Where the picture of one player goes: a widget that draws libmpv's frames in their own
// shape, with black bars, and lets its owner paint notes over them. Two back-ends: OpenGL where a
// context can be had, drawn on a renderer's thread of its own, and software rendering into an
// image on the GUI thread where not. The hooks run on the GUI thread; a frame is drawn when
// libmpv says one is due, never by waiting for it.
class VideoSurface {
public:
    struct Hooks {
        std::function<void()> frameShown;                           // a new frame is on screen
        std::function<void()> ready;                                // frames can be drawn now
        std::function<void(QPainter&, const QRect&)> paintOverlay;  // notes over the picture
        std::function<bool()> overlayShown;                         // whether there are any
    };

    virtual ~VideoSurface() = default;

    virtual QWidget* widget() = 0;
    // "software" or "opengl".
    virtual const char* kind() const = 0;

    // Draws what HANDLE plays from now on; false when no render context can be made for it.
    virtual bool attach(mpv_handle* handle) = 0;
    // Lets go of the handle; must come before the handle is destroyed.
    virtual void detach() = 0;
    // True once libmpv has somewhere to draw (at once in software, when the GL context exists).
    virtual bool isReady() const = 0;

    // A channel is wanted: whatever drawing needs is made now (ready follows once it can draw).
    virtual void prepare() {}
    // Nothing plays any more: whatever only drawing needed goes until the next prepare.
    virtual void release() {}
    // Shows black instead of the last frame until the next one.
    virtual void clearPicture() = 0;
    // Paints the overlay again over the current picture.
    virtual void refreshOverlay() = 0;
    // What the surface shows now, as drawn.
    virtual QImage picture() = 0;

    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    qint64 framesShown() const { return m_frames; }
    // The longest single render call so far, in microseconds.
    qint64 longestRenderUs() const { return m_longestRenderUs; }

protected:
    bool overlayShown() const { return !m_hooks.overlayShown || m_hooks.overlayShown(); }
    void noteRender(qint64 microseconds) {
        m_longestRenderUs = std::max(m_longestRenderUs, microseconds);
    }
    void noteFrame() {
        ++m_frames;
        if (m_hooks.frameShown) {
            m_hooks.frameShown();
        }
    }

    Hooks m_hooks;

private:
    qint64 m_frames = 0;
    qint64 m_longestRenderUs = 0;
};

namespace VideoSurfaces {

// Makes the surface for this platform as a child of PARENT: software on Qt's offscreen and
// minimal platforms, or when VELO_VIDEO_OUTPUT=software or the setting asks for it; OpenGL
// otherwise, which turns to software by itself when no OpenGL context can be made.
VideoSurface* create(QWidget* parent, const QString& preferred);

}  // namespace VideoSurfaces
