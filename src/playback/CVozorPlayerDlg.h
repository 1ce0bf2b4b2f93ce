#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <memory>

struct AppContext;
class CDsopocx;
class QLabel;

// The player pane of the main window: hosts the playback control, plays the channel the main
// window chose, stops on request, and says every ten minutes that the session is still in use.
class CVozorPlayerDlg : public QWidget {
    Q_OBJECT

public:
    static constexpr int kPulsePeriodMs = 600000;
    static constexpr int kReadyWaitMs = 5000;
    inline static const QString kLanguage = QStringLiteral("ja_JP");

    CVozorPlayerDlg(AppContext& context, QWidget* parent);
    ~CVozorPlayerDlg() override;

    // Re-creates and prepares the control; true when it reported ready in time.
    bool ResetPlayer(bool withSignIn);
    CDsopocx& control() { return *m_control; }
    // What the control says for selector 2: non-zero while it plays.
    int playingState();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void play();
    void sendPulse();
    QRect controlRect() const;

    AppContext& m_context;
    std::unique_ptr<CDsopocx> m_control;
    QPixmap m_topStrip;
    QLabel* m_static1017 = nullptr;
    QTimer m_pulseTimer;
};
