#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

// Shows a picture, and plays it when it is an animated GIF. Each frame is decoded once, at load
// time, from a GIF of its own; a thread of the player composes the frames into an off-screen
// image at their pace, and painting copies that image.
class CGifPlayer : public QWidget {
    Q_OBJECT

public:
    static constexpr int kStopWaitMs = 5000;

    explicit CGifPlayer(QWidget* parent = nullptr);
    ~CGifPlayer() override;

    // ":/gif/N" and the like; 1 on success.
    int LoadFromResource(const QString& resource);
    int Load(const QByteArray& data);
    // Starts showing: an animation starts its thread (0), a still picture is drawn once (1).
    int Draw();
    void Stop();
    void Unload();
    QSize GetSize() const { return m_size; }

    bool isLoaded() const { return m_loaded; }
    bool isAnimating() const;
    int frameCount() const { return static_cast<int>(m_frames.size()); }
    // How long frame I stays: a delay of 5 or more hundredths as given, else 100 ms.
    int frameDelayMs(int i) const;
    // The composed picture as it stands.
    QImage composed() const;
    // One step of the animation, as the thread takes it each time a frame's delay ends.
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

    void animate();
    void renderCurrent();
    void disposeCurrent();

    QSize m_size;
    QColor m_background = Qt::white;
    bool m_isGif = false;
    bool m_loaded = false;
    QImage m_single;
    std::vector<Frame> m_frames;
    int m_current = 0;

    mutable std::mutex m_mutex;  // guards the composed image and the saved area
    QImage m_composed;
    QImage m_saved;

    std::mutex m_stopMutex;
    std::condition_variable m_stopEvent;
    bool m_exit = false;
    std::thread m_thread;
    std::future<void> m_finished;
};
