#pragma once

#include <QImage>
#include <QMutex>
#include <QObject>
#include <QSize>
#include <QSurfaceFormat>

#include <atomic>
#include <functional>
#include <memory>

class QOpenGLContext;
class QThread;
class QWindow;
struct MpvLibrary;
struct mpv_handle;
struct mpv_render_context;

// Draws libmpv's frames into the picture's GL window on a thread of its own. Everything that
// costs GL time happens there: making the context (the driver's set-up), libmpv's renderer and
// its shaders, each frame, the notes over it and the swap. The GUI thread only says what the
// window is (its size, whether it is seen, the notes as a picture) and hears when a frame is
// on the screen, so a channel starting or changing never holds up the window.
class OpenGlRenderer : public QObject {
    Q_OBJECT

public:
    struct Hooks {
        // The GL context exists (the driver is loaded), or cannot be had: the window may be
        // made now, and handed over with setWindow.
        std::function<void(bool made)> contextMade;
        std::function<void(bool made)> started;            // libmpv's renderer, or not
        std::function<void(qint64 renderUs)> frameShown;  // a new frame is on the screen
    };

    // Starts making a GL context of FORMAT on the renderer's thread; HOOKS run on the GUI
    // thread.
    OpenGlRenderer(const QSurfaceFormat& format, mpv_handle* handle, const MpvLibrary* api,
                   Hooks hooks);
    // Frees the renderer and its context on its thread and waits for that.
    ~OpenGlRenderer() override;

    // WINDOW, created (it has its native window), is where the frames go from now on; it
    // outlives the renderer. libmpv's renderer is made for it.
    void setWindow(QWindow* window);
    // The window's size in device pixels and whether it is seen.
    void setTarget(QSize devicePixels, bool exposed);
    // The notes over the picture, as large as the window, transparent where they are not; a
    // null image for none.
    void setOverlay(const QImage& overlay);
    // Black instead of the last frame until the next one.
    void clearPicture();
    // Draws again (an expose, a new overlay).
    void requestFrame();
    // The picture as drawn now, read back on the renderer's thread (the GUI thread waits).
    QImage grab();

private:
    static void onUpdate(void* self);
    // On the renderer's thread.
    void makeContextOnThread(const QSurfaceFormat& format);
    void startOnThread(QWindow* window);
    void stopOnThread();
    void render();
    void draw(QSize size, bool readBack, QImage* readInto);

    QWindow* m_window = nullptr;  // the renderer's thread only
    mpv_handle* m_handle;
    const MpvLibrary* m_api;
    Hooks m_hooks;

    // The renderer itself lives on the GUI thread, where its hooks are called; work for the
    // renderer's thread is queued to the worker, which lives there.
    std::unique_ptr<QThread> m_thread;
    QObject* m_worker = nullptr;  // deleted on its thread as the thread ends
    std::unique_ptr<QOpenGLContext> m_gl;          // the renderer's thread only
    mpv_render_context* m_context = nullptr;       // the renderer's thread only
    bool m_hasPicture = false;                     // the renderer's thread only
    std::atomic<bool> m_renderQueued{false};
    std::atomic<bool> m_clear{false};

    QMutex m_lock;  // guards what the GUI thread hands over
    QSize m_size;
    bool m_exposed = false;
    QImage m_overlay;
};
