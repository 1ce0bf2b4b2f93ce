#pragma once

#include "session/UserState.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

struct AppContext;
struct ChannelInfo;
struct ChannelList;
class CChannelTreeCtrl;
class ClockTimer;
class QLabel;
class QMenu;
class QWidget;

// What makes the client pleasant to watch with, beyond the service's own rules: favourite and
// recently watched channels in the list, zapping from the keyboard as with a remote control,
// and the session coming back at the next start (the window, the closed groups, the last
// channel, played again when the user asks for it). It remembers all of it in the per-user
// state file.
//
// Keys reach it wherever the focus is in the main window and in the full-screen picture:
// PageUp/PageDown and Ctrl+Up/Ctrl+Down step through the list, Backspace returns to the
// channel before, and digits typed in a row choose a channel by its id once the user pauses
// (or presses Enter), shown on the picture as they are typed. Fields that take text keep their
// digits and Backspace.
class CChannelNavigator : public QObject {
    Q_OBJECT

public:
    static constexpr int kDigitPauseMs = 1500;
    static constexpr int kMaxDigits = 6;
    inline static const QString kPlayLastItem = QStringLiteral("起動時に前回のチャンネルを再生");
    inline static const QString kNoSuchChannel = QStringLiteral("%1 チャンネルがありません");

    // WINDOW is the main window, PICTURE the player pane whose full-screen window counts as
    // the main window's too.
    CChannelNavigator(AppContext& context, const QString& statePath, QWidget* window,
                      CChannelTreeCtrl* tree);
    ~CChannelNavigator() override;
    void setPicture(QWidget* picture) { m_picture = picture; }

    UserState& state() { return m_state; }

    // The window as the user left it, before it is first shown. Returns whether the side panel
    // was hidden, for the window to hide it once it is laid out.
    bool restoreWindow();
    // What is remembered of the window and the list, written now.
    void saveWindow(bool sidePanelHidden);

    // A newly filled list: the favourites and recents shown, the closed groups closed again
    // and, the first time, the last channel chosen and marked.
    void listFilled(const ChannelList& lists);
    // The signed-in user may have changed: their own favourites and recents show.
    void userChanged();
    // CHANNEL starts playing: it becomes the newest recent channel and the last one.
    void played(const ChannelInfo& channel);
    // Whether the last channel should play now that sign-in and the list are ready; true once.
    bool takeLastChannelToPlay();

    // The setting as an item of the window's menu.
    void addMenuItems(QMenu& menu);

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
    QString serviceId() const;
    void showCollections();
    void rememberCollapsed();
    const ChannelInfo* channelById(const QString& id) const;
    void showOverlay(const QString& text);
    bool belongsToWindow(const QObject* watched) const;

    AppContext& m_context;
    QWidget* m_window;
    CChannelTreeCtrl* m_tree;
    QPointer<QWidget> m_picture;
    UserState m_state;
    const ChannelList* m_lists = nullptr;
    bool m_firstList = true;
    bool m_lastChannelPending = false;
    QString m_digits;
    std::unique_ptr<ClockTimer> m_digitTimer;
    std::unique_ptr<ClockTimer> m_overlayTimer;
    QLabel* m_overlay = nullptr;
};
