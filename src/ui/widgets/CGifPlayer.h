#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

#include <memory>
#include <vector>

class Clock;
class ClockTimer;

// Shows a picture, and plays it when it is an animated GIF. Each frame is decoded once, at load
// time, from a GIF of its own; a timer of the clock composes the frames into an off-screen image
// at their pace, on the GUI thread, and painting copies that image.
class CGifPlayer : public QWidget {
    Q_OBJECT

public:
    // CLOCK times the frames; it outlives the player.
    explicit CGifPlayer(Clock& clock, QWidget* parent = nullptr);
    ~CGifPlayer() override;

    // ":/gif/N" and the like, its twin of twice the size on a dense screen; 1 on success.
    int LoadFromResource(const QString& resource);
    // RATIO is how many of the picture's pixels make one of the program's: the player covers
    // the picture's size divided by it.
    int Load(const QByteArray& data, int ratio = 1);
    // Starts showing: an animation starts its timer (0), a still picture is drawn once (1).
    int Draw();
    void Stop();
    void Unload();
    QSize GetSize() const { return m_size; }
    int ratio() const { return m_ratio; }

    bool isLoaded() const { return m_loaded; }
    bool isAnimating() const;
    int frameCount() const { return static_cast<int>(m_frames.size()); }
    // How long frame I stays: a delay of 5 or more hundredths as given, else 100 ms.
    int frameDelayMs(int i) const;
    // The composed picture as it stands, in the picture's own pixels.
    QImage composed() const;
    // One step of the animation without waiting for its delay: the current frame drawn, then
    // disposed of, and the next one made current.
    void showNextFrame();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Frame {
        QImage picture;
        QRect rect;
        int delay = -1;
        int disposal = 0;
    };

    // A frame's delay is over: the next one is drawn and waits for its own.
    void nextFrame();
    void repaintIfSeen();
    void renderCurrent();
    void disposeCurrent();

    QSize m_size;  // on the screen; the frames are m_ratio times as many pixels each way
    int m_ratio = 1;
    QColor m_background = Qt::white;
    bool m_isGif = false;
    bool m_loaded = false;
    QImage m_single;
    std::vector<Frame> m_frames;
    int m_current = 0;

    QImage m_composed;
    QImage m_saved;
    std::unique_ptr<ClockTimer> m_frameTimer;  // single-shot, started with each frame's delay
};
