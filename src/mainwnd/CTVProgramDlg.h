#pragma once

#include <QTimer>
#include <QWidget>

class QLabel;
class QPushButton;

// Laid over the channel list when the list could not be fetched: counts down ten seconds, then
// (or at once, on the button) asks the main window to fetch the list again.
class CTVProgramDlg : public QWidget {
    Q_OBJECT

public:
    inline static const QString kHeadline = QStringLiteral("チャンネルリスト取得がタイムアウト！");
    inline static const QString kCountdown = QStringLiteral("%1秒後再びダウンロード！");
    static constexpr int kSeconds = 10;

    explicit CTVProgramDlg(QWidget* parent);

    void startCountdown();
    void stop();
    int countdown() const { return m_countdown; }
    bool retryRequested() const { return m_done; }
    QString countdownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void tick();
    void requestRetry();

    QLabel* m_headline = nullptr;
    QLabel* m_line = nullptr;
    QLabel* m_loading = nullptr;
    QPushButton* m_button = nullptr;
    QTimer m_timer;
    int m_countdown = kSeconds;
    bool m_done = false;
};
