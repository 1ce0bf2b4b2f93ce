#pragma once

#include <QJsonObject>
#include <QString>

#include <atomic>
#include <map>
#include <mutex>

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

class DataStore;
class FaultBook;
class ShutdownLatch;
class StreamClips;

// The channels' live streams: /live/ID.ts is an endless MPEG-TS paced in real time, /live/ID.m3u8
// a live HLS playlist sliding over the same stream cut at its key frames (/live/ID/N.ts). Every
// channel runs on one clock, so a viewer joins where the channel is, at the last key frame. A
// stream is for a signed-up account only (HTTP basic authentication with its ID and password).
// Scripts for the endpoint "/live" refuse a stream, cut it (between packets or inside one), stall
// it, pause it or turn it to garbage.
class LiveStreams {
public:
    static constexpr const char* kEndpoint = "/live";
    // How far ahead of the channel's clock a connection is served, so a player starts at once.
    static constexpr int kLeadMs = 1000;
    static constexpr int kPlaylistSegments = 3;
    // How long a scripted stall keeps a connection when no length is given.
    static constexpr int kDefaultStallMs = 60000;

    LiveStreams(StreamClips& clips, DataStore& store, FaultBook& faults,
                const ShutdownLatch& shutdown);

    void install(httplib::Server& server);

    // Counts of what was served, for the tests.
    QJsonObject snapshot() const;

private:
    enum class Access { Allowed, Unauthorised, Forbidden };

    Access access(const httplib::Request& req);
    bool admit(const httplib::Request& req, httplib::Response& res, int channel);
    void serveStream(const httplib::Request& req, httplib::Response& res);
    void servePlaylist(const httplib::Request& req, httplib::Response& res);
    void serveSegment(const httplib::Request& req, httplib::Response& res);
    std::int64_t channelTime() const;  // 90 kHz ticks since the service started

    StreamClips& m_clips;
    DataStore& m_store;
    FaultBook& m_faults;
    const ShutdownLatch& m_shutdown;
    const std::int64_t m_epochMs;

    mutable std::mutex m_mutex;  // guards the counts below
    std::map<int, int> m_streamRequests;
    std::map<int, int> m_playlistRequests;
    int m_refused = 0;
    int m_lastChannel = 0;
    QString m_lastUser;
    QString m_lastAuthUrl;
    std::atomic<int> m_open{0};
};
