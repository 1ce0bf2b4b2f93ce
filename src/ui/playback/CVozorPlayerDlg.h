#pragma once

#include <QPixmap>
#include <QWidget>

#include <functional>
#include <memory>

struct AppContext;
class CDsopocx;
class ClockTimer;
class QLabel;
class ScreenSaverGuard;

// The player pane of the main window: hosts the playback control, plays the channel the main
// window chose, stops on request, and says every ten minutes that the session is still in use.
class CVozorPlayerDlg : public QWidget {
    Q_OBJECT

public:
    // What a screen reader calls the pane the picture plays in.
    inline static const QString kPaneName = QStringLiteral("再生画面");
    static constexpr int kPulsePeriodMs = 600000;
    static constexpr int kReadyWaitMs = 5000;
    static constexpr int kReadyPollMs = 10;
    static constexpr int kPlayingCheckMs = 1000;
    inline static const QString kLanguage = QStringLiteral("ja_JP");

    CVozorPlayerDlg(AppContext& context, QWidget* parent);
    ~CVozorPlayerDlg() override;

    // Re-creates and prepares the control, then calls READY with true when it reported ready
    // within five seconds, false when it did not. A control that answers at once is answered at
    // once; a slow one is asked again on a timer, so the window never waits. A later reset
    // replaces one still waiting.
    void ResetPlayer(bool withSignIn, std::function<void(bool ready)> ready = {});
    // True while a reset waits for the control.
    bool resetPending() const;
    CDsopocx& control() { return *m_control; }
    // What the control says for selector 2: non-zero while it plays.
    int playingState();
    // Holds the screen saver off while the control shows frames; asked once a second.
    ScreenSaverGuard& screenSaver() { return *m_screenSaver; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void play();
    void startChannel();
    void sendPulse();
    void pollReadiness();
    void finishReset(bool ready);
    QRect controlRect() const;

    AppContext& m_context;
    std::unique_ptr<CDsopocx> m_control;
    QPixmap m_topStrip;
    QLabel* m_static1017 = nullptr;
    std::unique_ptr<ClockTimer> m_pulseTimer;
    std::unique_ptr<ClockTimer> m_playingCheck;
    std::unique_ptr<ScreenSaverGuard> m_screenSaver;
    std::unique_ptr<ClockTimer> m_readyTimer;
    std::uint32_t m_readyDeadline = 0;
    std::function<void(bool)> m_onReady;
};
