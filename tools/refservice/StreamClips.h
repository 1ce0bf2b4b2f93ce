#pragma once

#include "TsClip.h"

#include <QHash>
#include <QString>

#include <memory>
#include <mutex>
#include <vector>

// The clip behind each channel's live stream: a few seconds of H.264/AAC in MPEG-TS, made once
// with the ffmpeg command and kept in a cache folder, so serving never encodes. Each channel has
// its own test picture with its name and a running clock. Thread-safe.
class StreamClips {
public:
    struct Channel {
        int id = 0;
        QString name;
    };

    // The folder clips are kept in when the command line names none: shared by every service on
    // this machine, so they are made only once.
    static QString defaultFolder();

    StreamClips(QString folder, std::vector<Channel> channels);

    bool knows(int channel) const;

    // The clip of CHANNEL, made first if the cache lacks it; nothing (ERROR set) when it cannot
    // be made or read.
    std::shared_ptr<const TsClip> clip(int channel, QString& error);

    // Makes every missing clip; false (ERROR set) at the first that cannot be made.
    bool makeAll(QString& error);

private:
    QString pathOf(int channel) const;
    bool make(const Channel& channel, QString& error) const;

    QString m_folder;
    std::vector<Channel> m_channels;
    std::mutex m_mutex;  // guards m_loaded; held while a clip is made, so each is made once
    QHash<int, std::shared_ptr<const TsClip>> m_loaded;
};
