#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <memory>

class VideoSurface;

// The pane a channel plays in: the picture, and over it the channel's name and what goes wrong
// with it, and a short note (volume, mute, the channel at its start) that fades. The user's
// hands are here too: wheel and Up/Down for volume, M for mute, double-click, F11 or F for full
// screen and Escape to leave it; the pointer hides in full screen when the mouse rests.
class PlayerView : public QWidget {
    Q_OBJECT

public:
    enum class Notice { None, Reconnecting, CannotPlay, Refused };

    static constexpr int kVolumeStep = 5;
    static constexpr int kSeekStep = 10;
    static constexpr int kLongSeekStep = 60;
    static constexpr int kNoteShownMs = 1500;
    static constexpr int kNoteFadeMs = 600;
    static constexpr int kPointerRestMs = 3000;

    PlayerView(QWidget* parent, const QString& preferredOutput);
    ~PlayerView() override;

    VideoSurface& surface() { return *m_surface; }

    void setChannel(const QString& name);
    void showNotice(Notice notice, int attempt = 0);
    void showNote(const QString& text);
    // What stays in the picture's corner while it holds: recording, behind live (empty: none).
    void setMarks(const QStringList& marks);
    // The box that lists the pane's keys.
    void setHelpShown(bool shown);
    bool helpShown() const { return m_helpShown; }

    bool fullScreen() const { return m_fullScreen; }
    void setFullScreen(bool on);

signals:
    void frameShown();
    void surfaceReady();
    void volumeStepped(int delta);
    void muteToggled();
    void pauseToggled();
    void seekStepped(int seconds);
    void liveRequested();
    void recordToggled();
    void stillRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paintOverlay(QPainter& p, const QRect& area);
    void paintMarksAndHelp(QPainter& p, const QRect& area);
    // The pane's commands with their keys, at AT on the screen.
    void showMenu(const QPoint& at);
    QString noticeText() const;
    void fadeStep();

    VideoSurface* m_surface = nullptr;  // a child widget
    QString m_channel;
    Notice m_notice = Notice::None;
    int m_attempt = 0;
    QString m_note;
    QStringList m_marks;
    bool m_helpShown = false;
    QElapsedTimer m_noteAge;
    QTimer m_fade;
    QTimer m_pointerRest;
    bool m_fullScreen = false;
};
