#pragma once

#include <QOpenGLWindow>
#include <QPointer>

#include <functional>

class QWidget;

// The native window libmpv's OpenGL renderer draws into, embedded in the pane. Being a window of
// its own, the rest of the main window never has to be composed through OpenGL: only this
// window's own frames go through the GL driver. It takes no keyboard focus and hands the user's
// mouse and wheel to TARGET, the widget that stands for the picture in the pane.
class OpenGlVideoWindow : public QOpenGLWindow {
    Q_OBJECT

public:
    explicit OpenGlVideoWindow(QWidget* target);

    std::function<void()> initialised;  // the GL context exists and is current
    std::function<void()> painting;     // draw a frame; the GL context is current

protected:
    void initializeGL() override;
    void paintGL() override;
    bool event(QEvent* event) override;

private:
    QPointer<QWidget> m_target;
};
