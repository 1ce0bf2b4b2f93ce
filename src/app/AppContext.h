#pragma once

#include "service/ServiceState.h"

#include <QPointer>
#include <QString>

struct ChannelInfo;
class CSplashScreenDlg;

// The application-wide state the windows share: the program folder, what the service exchanges
// left behind, the channel being played and the playback control's readiness. Everything but the
// service state is touched only on the GUI thread.
struct AppContext {
    QString m_strExeDir;        // program folder, no trailing separator
    ServiceState service;       // server address, session identity, server IPv4 address

    // The channel chosen in the tree and the one playing, with the one before it.
    QString selectedChannelName;
    const ChannelInfo* selectedChannel = nullptr;  // the record behind the chosen tree item
    QString currentChannelName;
    QString previousChannelName;
    QString currentChannelId;
    QString previousChannelId;
    QString currentAddress;

    // 1 when the playback control was made with sign-in data and became ready.
    int controlReady = 0;

    // The start-up picture, until the main window is ready.
    QPointer<CSplashScreenDlg> splash;
};
