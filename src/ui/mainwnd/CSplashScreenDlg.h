#pragma once

#include <QPixmap>
#include <QWidget>

class CGifPlayer;
class Clock;

// The small picture shown from the start until the main window is ready, with a progress
// animation that keeps moving while the window builds itself. It has no taskbar entry.
class CSplashScreenDlg : public QWidget {
    Q_OBJECT

public:
    // CLOCK times the animation.
    explicit CSplashScreenDlg(Clock& clock);
    ~CSplashScreenDlg() override;

    CGifPlayer* animation() const { return m_animation; }
    // Closes the window; harmless when it is already gone.
    void CloseSplash();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_background;
    CGifPlayer* m_animation = nullptr;
};
