#pragma once

#include <QOpenGLContext>
#include <QPointer>
#include <QWindow>

#include <functional>
#include <memory>

class QWidget;

// The native window libmpv's OpenGL renderer draws into, embedded in the pane. Being a window of
// its own, the rest of the main window never has to be composed through OpenGL: only this
// window's own frames go through the GL driver. It takes no keyboard focus and hands the user's
// mouse, wheel and keys to TARGET, the widget that stands for the picture in the pane.
class OpenGlVideoWindow : public QWindow {
    Q_OBJECT

public:
    explicit OpenGlVideoWindow(QWidget* target);
    ~OpenGlVideoWindow() override;

    // Makes the GL context for the window; false when none can be had here.
    bool makeContext();
    QOpenGLContext* glContext() const { return m_gl.get(); }
    bool makeCurrent();
    void doneCurrent();

    // Asks for a frame at the window system's next chance; PAINTING then draws it.
    void requestFrame() { requestUpdate(); }
    // Draws a frame into framebuffer 0 with the context current; SWAPPED follows the swap.
    std::function<void()> painting;
    std::function<void()> swapped;

    // The last frame drawn, read back.
    QImage grabFrame();

protected:
    bool event(QEvent* event) override;
    void exposeEvent(QExposeEvent* event) override;

private:
    void render();

    QPointer<QWidget> m_target;
    std::unique_ptr<QOpenGLContext> m_gl;
};
