#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

struct ChannelList;
class CChannelTreeCtrl;
class ChannelNode;
class Clock;
class ClockTimer;
class NowPlaying;
class QLabel;
class QWidget;

// Zapping from the keyboard, as with a remote control. Keys reach it wherever the focus is in the
// main window and in the full-screen picture: PageUp/PageDown and Ctrl+Up/Ctrl+Down step through
// the list, Backspace returns to the channel before, and digits typed in a row choose a channel
// by its id once the user pauses (or presses Enter), shown on the picture as they are typed.
// Fields that take text keep their digits and Backspace. It plays through the tree, so a zap is
// played as a double-click would be.
class CChannelZapper : public QObject {
    Q_OBJECT

public:
    static constexpr int kDigitPauseMs = 1500;
    static constexpr int kMaxDigits = 6;
    inline static const QString kNoSuchChannel = QStringLiteral("%1 チャンネルがありません");

    CChannelZapper(Clock& clock, const NowPlaying& nowPlaying, QWidget* window,
                   CChannelTreeCtrl* tree);
    ~CChannelZapper() override;
    // PICTURE is the player pane, whose full-screen window counts as the main window's too.
    void setPicture(QWidget* picture) { m_picture = picture; }
    // The list the typed numbers are looked up in; none before the first list.
    void setList(const ChannelList* lists) { m_lists = lists; }

    // The zapping steps, as the keys make them.
    void zap(int step);
    void returnToPrevious();
    void typeDigit(int digit);
    // The digits typed so far play now.
    void playTypedDigits();
    QString typedDigits() const { return m_digits; }
    QLabel* digitsOverlay() const { return m_overlay; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void played(const ChannelNode* item);
    void showOverlay(const QString& text);
    bool belongsToWindow(const QObject* watched) const;

    const NowPlaying& m_nowPlaying;
    QWidget* m_window;
    CChannelTreeCtrl* m_tree;
    QPointer<QWidget> m_picture;
    const ChannelList* m_lists = nullptr;
    QString m_digits;
    std::unique_ptr<ClockTimer> m_digitTimer;
    std::unique_ptr<ClockTimer> m_overlayTimer;
    QLabel* m_overlay = nullptr;
};
