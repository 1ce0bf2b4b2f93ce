#pragma once

#include <QPixmap>
#include <QRect>
#include <QRegion>
#include <QWidget>

#include <functional>
#include <memory>

class Clock;
class ClockTimer;

// The balloon that points at the program's icon in the notification area: a pale yellow rounded
// box with a tail, an information icon, a bold title, body lines and a close button. It closes by
// itself after eight seconds without the pointer over it. A click outside its close button starts
// the updater when there is one. There is one balloon in the whole program.
class CMyToolTip : public QWidget {
    Q_OBJECT

public:
    static constexpr int kCloseAfterMs = 8000;
    static constexpr int kUpdaterDelayMs = 500;
    static constexpr int kMargin = 6;
    static constexpr int kCloseSize = 16;
    static constexpr int kTailHeight = 20;
    inline static const QColor kFill{255, 255, 210};

    static CMyToolTip& GetBalloon();

    void SetTitle(const QString& title) { m_title = title; }
    void SetBody(const QString& body) { m_body = body; }
    QString title() const { return m_title; }
    // The lines that are drawn: each text ended by "#".
    QStringList bodyLines() const;

    // Shows the balloon pointing at the tray icon at ICON (screen coordinates); where the icon's
    // place is unknown (an empty rectangle), at the corner of the screen by its panel. False,
    // and nothing shown, without a screen. PROGRAMFOLDER is where the updater would be;
    // ENDCLIENT ends the client once the updater started. CLOCK times the balloon until it is
    // shown again, so it lives at least as long as the balloon is up.
    bool ShowAtTray(Clock& clock, const QRect& icon, const QString& programFolder,
                    std::function<void()> endClient);
    void setCloseAfterMs(int ms) { m_closeAfterMs = ms; }
    bool countdownRunning() const;
    QRect closeButtonRect() const { return m_close; }
    // The box without its tail, in the balloon's coordinates.
    QRect boxRect() const { return m_box; }
    // Where a balloon of SIZE goes on a screen of GEOMETRY whose free room is AVAILABLE: the
    // corner by the panel that takes the rest.
    static QPoint cornerNearPanel(const QRect& geometry, const QRect& available, QSize size);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    CMyToolTip();
    ~CMyToolTip() override;
    void layOut(bool withTail);
    QFont titleFont() const;
    QFont bodyFont() const;
    void setCloseFace(int bitmap);

    QString m_title;
    QString m_body;
    QString m_programFolder;
    std::function<void()> m_endClient;
    QRect m_box;
    QRect m_close;
    QRegion m_region;
    Clock* m_clock = nullptr;
    std::unique_ptr<ClockTimer> m_timer;  // the close countdown, from the clock of the last show
    int m_closeAfterMs = kCloseAfterMs;
    int m_closeFace = 228;
};
