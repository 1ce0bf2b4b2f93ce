#pragma once

#include "support/ServiceProcess.h"

#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>

// The reference service for the playback tests: a loopback address and data folder of its own,
// a datagram port of its own choosing (these tests send no datagrams), and the streams' clips
// from the shared cache. Stopped when destroyed.
class StreamService {
public:
    StreamService();

    bool running() const { return m_process.running(); }
    // "http://HOST:PORT/live/ID.ts" (or .m3u8 for HLS).
    QString streamUrl(int channel, const char* suffix = "ts") const;
    // The next COUNT stream requests get ACTION, after DELAYMS, for HOLDMS.
    void script(const QString& action, int status = 0, int delayMs = 0, int holdMs = 0,
                int count = 1) const;
    void reset() const;
    QJsonObject streams() const;
    int streamRequests(int channel) const;

private:
    QTemporaryDir m_data;
    ServiceProcess m_process;
};
