#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// The reference service for the playback tests: its own data folder, a datagram port of its
// own choosing (these tests share no fixed port with the service tests), and the streams' clips
// from the shared cache. Stopped when destroyed.
class StreamService {
public:
    StreamService();
    ~StreamService();

    bool running() const { return m_port != 0; }
    // "http://127.0.0.2:PORT/live/ID.ts" (or .m3u8 for HLS).
    QString streamUrl(int channel, const char* suffix = "ts") const;
    // The next COUNT stream requests get ACTION, after DELAYMS, for HOLDMS.
    void script(const QString& action, int status = 0, int delayMs = 0, int holdMs = 0,
                int count = 1) const;
    void reset() const;
    QJsonObject streams() const;
    int streamRequests(int channel) const;

private:
    QTemporaryDir m_data;
    QProcess m_process;
    int m_port = 0;
};
