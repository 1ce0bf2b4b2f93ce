#pragma once

#include <QByteArray>

// The content a fresh data folder starts with: a few accounts that cover the client's sign-in
// outcomes, a channel list in the client's catalogue format, and no pending update.
class DemoData {
public:
    static QByteArray accountsJson();
    static QByteArray registrationsJson();
    static QByteArray updateJson();

    // The channel list: UTF-8 XML whose playback addresses are written with the client's cipher.
    static QByteArray channelListXml();
};
