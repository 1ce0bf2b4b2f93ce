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
// its shaders, each frame, the notes over it, the swap, and freeing it all when the channel
// stops. The GUI thread only says what the window is (its size, whether it is seen, the notes
// as a picture) and hears when a frame is on the screen, so a channel starting, changing or
// stopping never holds up the window.
//
// One renderer serves one libmpv handle; each channel wanted is a session of it, from begin to
// end, with a GL context and a window of its own. Sessions follow one another on the thread,
// so a new one starts only once the last one's renderer is freed, as libmpv has one at a time.
class OpenGlRenderer : public QObject {
    Q_OBJECT

public:
    struct Hooks {
        // The session's GL context exists (the driver is loaded), or cannot be had: its window
        // may be made now, and handed over with setWindow.
        std::function<void(bool made)> contextMade;
        std::function<void(bool made)> started;           // libmpv's renderer, or not
        std::function<void(qint64 renderUs)> frameShown;  // a new frame is on the screen
    };

    // HOOKS run on the GUI thread, for the session that is current.
    OpenGlRenderer(mpv_handle* handle, const MpvLibrary* api, Hooks hooks);
    // Ends the session and waits for it: the handle may be destroyed after.
    ~OpenGlRenderer() override;

    // A session: a GL context of FORMAT is made on the renderer's thread.
    void begin(const QSurfaceFormat& format);
    // WINDOW, created (it has its native window), is where the session's frames go; it must
    // stay until the session's end says so.
    void setWindow(QWindow* window);
    // Ends the session on the renderer's thread; DONE runs on the GUI thread once its renderer
    // and context are freed and its window may go.
    void end(std::function<void()> done);

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
    // Runs HOOK on the GUI thread if the session SESSION is still the current one there.
    void toGui(int session, std::function<void(const Hooks&)> hook);
    // On the renderer's thread.
    void makeContextOnThread(const QSurfaceFormat& format, int session);
    void startOnThread(QWindow* window, int session);
    void stopOnThread();
    void render();
    void draw(QSize size, QImage* readInto);

    mpv_handle* m_handle;
    const MpvLibrary* m_api;
    Hooks m_hooks;
    int m_session = 0;  // the GUI thread's current session

    // The renderer itself lives on the GUI thread, where its hooks are called; work for the
    // renderer's thread is queued to the worker, which lives there.
    std::unique_ptr<QThread> m_thread;
    QObject* m_worker = nullptr;  // deleted on its thread as the thread ends

    // The renderer's thread only.
    std::unique_ptr<QOpenGLContext> m_gl;
    QWindow* m_window = nullptr;
    mpv_render_context* m_context = nullptr;
    int m_drawingSession = 0;
    bool m_hasPicture = false;

    std::atomic<bool> m_renderQueued{false};
    std::atomic<bool> m_clear{false};

    QMutex m_lock;  // guards what the GUI thread hands over
    QSize m_size;
    bool m_exposed = false;
    QImage m_overlay;
};
