#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// The content a fresh data folder starts with: a few accounts that cover the client's sign-in
// outcomes, a channel list in the client's catalogue format, and no pending update.
class DemoData {
public:
    static QByteArray accountsJson();
    static QByteArray registrationsJson();
    static QByteArray updateJson();

    struct Channel {
        int id = 0;
        QString name;
    };

    // The channel list: UTF-8 XML whose playback addresses are written with the client's cipher.
    // Each address is a live stream of the service at STREAM_BASE ("http://host:port").
    static QByteArray channelListXml(const QString& streamBase);

    // Every channel of the list once, for the live streams.
    static std::vector<Channel> channels();

    // The advertisement archives: a banner page with its picture, and a small pop-up page.
    // Empty when the archive cannot be made.
    static QByteArray bannerArchive();
    static QByteArray popUpArchive();

    // Where channel ID streams: most as an endless MPEG-TS, some as live HLS.
    static QString streamAddress(const QString& streamBase, int id);
};
