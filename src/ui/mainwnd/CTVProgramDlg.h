#pragma once

#include <QPixmap>
#include <QWidget>

#include <memory>

class CGifPlayer;
class Clock;
class ClockTimer;
class QLabel;

// Laid over the channel list when the list could not be fetched: counts down ten seconds, then
// (or at once, when its button is pressed and released on it) shows a loading animation and asks
// the main window to fetch the list again.
class CTVProgramDlg : public QWidget {
    Q_OBJECT

public:
    inline static const QString kHeadline = QStringLiteral("チャンネルリスト取得がタイムアウト！");
    inline static const QString kCountdown = QStringLiteral("%1秒後再びダウンロード！");
    static constexpr int kSeconds = 10;
    enum Face : int { kNormal = 251, kHover = 252, kPressed = 253, kUsed = 254 };

    // NOTIFY (the parent when none) is asked for the retry; CLOCK times the countdown and the
    // animation.
    CTVProgramDlg(Clock& clock, QWidget* parent, QObject* notify = nullptr);
    ~CTVProgramDlg() override;

    void startCountdown();
    void stop();
    int countdown() const { return m_countdown; }
    bool retryRequested() const { return m_done; }
    QString countdownText() const;
    int face() const { return m_faceId; }
    QRect buttonRect() const;
    // The two lines above the button: what happened, and the countdown.
    QLabel* headlineLabel() const { return m_headline; }
    QLabel* countdownLabel() const { return m_line; }
    CGifPlayer* loading() const { return m_loading; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Sets LABEL's text as large as its place lets it be, up to its usual size.
    static void fitText(QLabel* label);
    // One second of the countdown.
    void tick();
    void requestRetry();
    void setFace(int id);

    QObject* m_notify;
    QLabel* m_headline = nullptr;
    QLabel* m_line = nullptr;
    CGifPlayer* m_loading = nullptr;
    QPixmap m_face;
    int m_faceId = kNormal;
    std::unique_ptr<ClockTimer> m_timer;
    int m_countdown = kSeconds;
    bool m_pressed = false;
    bool m_done = false;
};
