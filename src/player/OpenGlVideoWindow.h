#pragma once

#include <QPointer>
#include <QWindow>

#include <functional>

class QWidget;

// The native window libmpv's OpenGL renderer draws into, embedded in the pane. Being a window of
// its own, the rest of the main window never has to be composed through OpenGL: only this
// window's own frames go through the GL driver, and they are drawn on the renderer's thread. It
// takes no keyboard focus and hands the user's mouse, wheel and keys to TARGET, the widget that
// stands for the picture in the pane.
class OpenGlVideoWindow : public QWindow {
    Q_OBJECT

public:
    explicit OpenGlVideoWindow(QWidget* target);

    // Called on the GUI thread when the window is shown, hidden or resized.
    std::function<void()> changed;

    // Its size in device pixels.
    QSize devicePixels() const;

protected:
    bool event(QEvent* event) override;
    void exposeEvent(QExposeEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void tell();

    QPointer<QWidget> m_target;
};
