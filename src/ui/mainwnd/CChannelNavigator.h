#pragma once

#include "session/UserState.h"

#include <QObject>
#include <QString>

class Clock;
class NowPlaying;
class SessionRecord;
class ChannelInfo;
struct ChannelList;
class CChannelTreeCtrl;
class CChannelZapper;
class QMenu;
class QWidget;

// What makes the client pleasant to watch with, beyond the service's own rules: favourite and
// recently watched channels in the list, zapping from the keyboard as with a remote control,
// and the session coming back at the next start (the window, the closed groups, the last
// channel, played again when the user asks for it). It remembers all of it in the per-user
// state file. The keys that zap are its zapper's.
class CChannelNavigator : public QObject {
    Q_OBJECT

public:
    inline static const QString kPlayLastItem = QStringLiteral("起動時に前回のチャンネルを再生");

    // WINDOW is the main window, PICTURE the player pane whose full-screen window counts as
    // the main window's too.
    // SESSION says who is signed in, NOW_PLAYING what plays.
    CChannelNavigator(const SessionRecord& session, NowPlaying& nowPlaying, Clock& clock,
                      const QString& statePath, QWidget* window, CChannelTreeCtrl* tree);
    void setPicture(QWidget* picture);
    CChannelZapper& zapper() const { return *m_zapper; }

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

private:
    QString serviceId() const;
    void showCollections();
    void rememberCollapsed();
    const ChannelInfo* channelById(const QString& id) const;

    const SessionRecord& m_session;
    NowPlaying& m_nowPlaying;
    QWidget* m_window;
    CChannelTreeCtrl* m_tree;
    CChannelZapper* m_zapper;  // a child of the window
    UserState m_state;
    const ChannelList* m_lists = nullptr;
    bool m_firstList = true;
    bool m_lastChannelPending = false;
};
