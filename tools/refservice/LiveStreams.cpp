#include "LiveStreams.h"

#include "DataStore.h"
#include "FaultBook.h"
#include "ShutdownLatch.h"
#include "StreamClips.h"

#include <httplib.h>

#include <QByteArray>
#include <QJsonDocument>
#include <QRandomGenerator>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

namespace {

constexpr const char* kTsType = "video/mp2t";
constexpr std::size_t kMaxChunk = 64 * 1024;
constexpr std::int64_t kTicksPerMs = TsClip::kClockHz / 1000;
constexpr qsizetype kGarbageChunk = 4096;  // every 40 ms: about a channel's rate

std::int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QByteArray garbage(qsizetype size) {
    QByteArray bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(QRandomGenerator::global()->bounded(256));
    }
    return bytes;
}

int channelOf(const httplib::Request& req) {
    return req.matches.size() > 1 ? std::atoi(req.matches[1].str().c_str()) : 0;
}

void refuse(httplib::Response& res, int status) {
    res.status = status;
    if (status == 401) {
        res.set_header("WWW-Authenticate", "Basic realm=\"VELO\"");
    }
    res.set_content(status == 404 ? "no such channel\n" : "not allowed to watch\n",
                    "text/plain; charset=utf-8");
}

// What one endless-stream connection has sent and what is scripted for it.
struct Connection {
    std::shared_ptr<const TsClip> clip;
    std::uint64_t next = 0;  // next packet of the endless stream
    std::int64_t startedMs = 0;
    std::optional<FaultBook::Script> fault;
    bool paused = false;  // a scripted pause has been taken
};

}  // namespace

LiveStreams::LiveStreams(StreamClips& clips, DataStore& store, FaultBook& faults,
                         const ShutdownLatch& shutdown)
    : m_clips(clips), m_store(store), m_faults(faults), m_shutdown(shutdown), m_epochMs(nowMs()) {}

std::int64_t LiveStreams::channelTime() const {
    return (nowMs() - m_epochMs) * kTicksPerMs;
}

void LiveStreams::install(httplib::Server& server) {
    server.Get(R"(/live/(\d+)\.ts)", [this](const httplib::Request& req, httplib::Response& res) {
        serveStream(req, res);
    });
    server.Get(R"(/live/(\d+)\.m3u8)", [this](const httplib::Request& req, httplib::Response& res) {
        servePlaylist(req, res);
    });
    server.Get(
        R"(/live/(\d+)/(\d+)\.ts)",
        [this](const httplib::Request& req, httplib::Response& res) { serveSegment(req, res); });
    server.Get("/control/streams", [this](const httplib::Request&, httplib::Response& res) {
        res.set_content(QJsonDocument(snapshot()).toJson().toStdString(),
                        "application/json; charset=utf-8");
    });
}

LiveStreams::Access LiveStreams::access(const httplib::Request& req) {
    const std::string header = req.get_header_value("Authorization");
    if (header.rfind("Basic ", 0) != 0) {
        return Access::Unauthorised;
    }
    const QByteArray pair = QByteArray::fromBase64(QByteArray::fromStdString(header.substr(6)));
    const qsizetype colon = pair.indexOf(':');
    if (colon < 0) {
        return Access::Unauthorised;
    }
    const QString id = QString::fromUtf8(pair.left(colon));
    const auto account = m_store.account(id);
    if (!account || account->password != QString::fromUtf8(pair.mid(colon + 1))) {
        return Access::Unauthorised;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_lastUser = id;
        m_lastAuthUrl = QString::fromStdString(req.get_header_value("X-Velo-Auth-Url"));
    }
    // An account without viewing time left may sign in but not watch.
    return account->useTimeMs > 0 ? Access::Allowed : Access::Forbidden;
}

bool LiveStreams::admit(const httplib::Request& req, httplib::Response& res, int channel) {
    if (!m_clips.knows(channel)) {
        refuse(res, 404);
        return false;
    }
    switch (access(req)) {
        case Access::Allowed:
            return true;
        case Access::Unauthorised:
            refuse(res, 401);
            break;
        case Access::Forbidden:
            refuse(res, 403);
            break;
    }
    const std::lock_guard lock(m_mutex);
    ++m_refused;
    return false;
}

void LiveStreams::serveStream(const httplib::Request& req, httplib::Response& res) {
    const int channel = channelOf(req);
    {
        const std::lock_guard lock(m_mutex);
        ++m_streamRequests[channel];
        m_lastChannel = channel;
    }
    auto fault = m_faults.take(QString::fromLatin1(kEndpoint));
    if (fault && fault->action == FaultBook::Action::Reply) {
        refuse(res, fault->status);
        const std::lock_guard lock(m_mutex);
        ++m_refused;
        return;
    }
    if (fault && fault->action == FaultBook::Action::Delay) {
        m_shutdown.sleepFor(std::chrono::milliseconds(fault->delayMs));
        fault.reset();
    }
    if (!admit(req, res, channel)) {
        return;
    }
    QString error;
    auto clip = m_clips.clip(channel, error);
    if (!clip) {
        std::fprintf(stderr, "refservice: stream %d: %s\n", channel, qPrintable(error));
        res.status = 500;
        res.set_content("the stream cannot be made\n", "text/plain; charset=utf-8");
        return;
    }
    auto connection = std::make_shared<Connection>();
    connection->clip = clip;
    connection->next = clip->joinAtOrBefore(channelTime());
    connection->startedMs = nowMs();
    connection->fault = fault;
    ++m_open;
    const ShutdownLatch* shutdown = &m_shutdown;
    res.set_header("Cache-Control", "no-cache");
    res.set_chunked_content_provider(
        kTsType,
        [this, connection, shutdown](std::size_t, httplib::DataSink& sink) {
            if (shutdown->triggered()) {
                return false;
            }
            const std::int64_t elapsed = nowMs() - connection->startedMs;
            if (const auto& fault = connection->fault; fault && elapsed >= fault->delayMs) {
                switch (fault->action) {
                    case FaultBook::Action::Drop:
                        return false;  // cut mid-stream, no end of the chunked body
                    case FaultBook::Action::Silence:
                        // Stalled with the socket open, until the stall ends or the service
                        // stops; then the connection goes.
                        shutdown->sleepFor(std::chrono::milliseconds(
                            fault->holdMs > 0 ? fault->holdMs : kDefaultStallMs));
                        return false;
                    case FaultBook::Action::Truncate: {
                        // The connection goes in the middle of a packet, as one lost mid-write.
                        QByteArray packet;
                        connection->clip->appendPacket(connection->next++, packet);
                        sink.write(packet.constData(), static_cast<std::size_t>(packet.size() / 2));
                        return false;
                    }
                    case FaultBook::Action::Garbage:
                        // Bytes that are no stream at all, at about the stream's pace, until the
                        // garbage ends or the service stops; then the connection goes.
                        if (elapsed >= fault->delayMs +
                                           (fault->holdMs > 0 ? fault->holdMs : kDefaultStallMs)) {
                            return false;
                        }
                        shutdown->sleepFor(std::chrono::milliseconds(40));
                        return sink.write(garbage(kGarbageChunk).constData(),
                                          static_cast<std::size_t>(kGarbageChunk));
                    case FaultBook::Action::Pause:
                        if (!connection->paused) {
                            connection->paused = true;
                            shutdown->sleepFor(std::chrono::milliseconds(fault->holdMs));
                            // Live goes on meanwhile: the stream comes back where the channel is.
                            connection->next = connection->clip->joinAtOrBefore(channelTime());
                        }
                        break;
                    default:
                        break;
                }
            }
            const TsClip& clip = *connection->clip;
            const std::int64_t due = channelTime() + kLeadMs * kTicksPerMs;
            QByteArray chunk;
            while (clip.timeOf(connection->next) <= due &&
                   static_cast<std::size_t>(chunk.size()) < kMaxChunk) {
                clip.appendPacket(connection->next++, chunk);
            }
            if (!chunk.isEmpty()) {
                return sink.write(chunk.constData(), static_cast<std::size_t>(chunk.size()));
            }
            const std::int64_t waitMs = std::clamp<std::int64_t>(
                (clip.timeOf(connection->next) - due) / kTicksPerMs, 1, 40);
            shutdown->sleepFor(std::chrono::milliseconds(waitMs));
            return true;
        },
        [this](bool) { --m_open; });
}

void LiveStreams::servePlaylist(const httplib::Request& req, httplib::Response& res) {
    const int channel = channelOf(req);
    {
        const std::lock_guard lock(m_mutex);
        ++m_playlistRequests[channel];
        m_lastChannel = channel;
    }
    if (auto fault = m_faults.take(QString::fromLatin1(kEndpoint));
        fault && fault->action == FaultBook::Action::Reply) {
        refuse(res, fault->status);
        return;
    }
    if (!admit(req, res, channel)) {
        return;
    }
    QString error;
    auto clip = m_clips.clip(channel, error);
    if (!clip) {
        std::fprintf(stderr, "refservice: stream %d: %s\n", channel, qPrintable(error));
        res.status = 500;
        return;
    }
    // Segments run from one key frame to the next; only those that have ended are listed.
    const auto& joins = clip->joinPoints();
    const std::int64_t segmentsPerLoop = static_cast<std::int64_t>(joins.size());
    const auto startOf = [&](std::int64_t n) {
        return (n / segmentsPerLoop) * clip->period() + joins[n % segmentsPerLoop].time;
    };
    const std::int64_t now = channelTime();
    std::int64_t live = (now / clip->period()) * segmentsPerLoop;
    while (startOf(live + 1) <= now) {
        ++live;
    }
    const std::int64_t first = std::max<std::int64_t>(live - kPlaylistSegments, 0);
    QByteArray text = "#EXTM3U\n#EXT-X-VERSION:3\n";
    double longest = 1;
    for (std::int64_t n = first; n < live; ++n) {
        longest = std::max(longest, double(startOf(n + 1) - startOf(n)) / TsClip::kClockHz);
    }
    text += "#EXT-X-TARGETDURATION:" + QByteArray::number(static_cast<int>(longest + 0.999)) + '\n';
    text += "#EXT-X-MEDIA-SEQUENCE:" + QByteArray::number(first) + '\n';
    for (std::int64_t n = first; n < live; ++n) {
        text += "#EXTINF:" +
                QByteArray::number(double(startOf(n + 1) - startOf(n)) / TsClip::kClockHz, 'f', 3) +
                ",\n" + QByteArray::number(channel) + '/' + QByteArray::number(n) + ".ts\n";
    }
    res.set_header("Cache-Control", "no-cache");
    res.set_content(text.toStdString(), "application/vnd.apple.mpegurl");
}

void LiveStreams::serveSegment(const httplib::Request& req, httplib::Response& res) {
    const int channel = channelOf(req);
    if (!admit(req, res, channel)) {
        return;
    }
    QString error;
    auto clip = m_clips.clip(channel, error);
    if (!clip) {
        res.status = 500;
        return;
    }
    const std::int64_t n = std::atoll(req.matches[2].str().c_str());
    const auto& joins = clip->joinPoints();
    const std::uint64_t perLoop = joins.size();
    const std::uint64_t loop = static_cast<std::uint64_t>(n) / perLoop;
    const std::size_t j = static_cast<std::size_t>(static_cast<std::uint64_t>(n) % perLoop);
    const std::uint64_t begin = loop * clip->packetCount() + joins[j].packet;
    const std::uint64_t end = j + 1 < joins.size()
                                  ? loop * clip->packetCount() + joins[j + 1].packet
                                  : (loop + 1) * clip->packetCount();
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>((end - begin) * TsClip::kPacketSize));
    for (std::uint64_t i = begin; i < end; ++i) {
        clip->appendPacket(i, bytes);
    }
    res.set_content(bytes.toStdString(), kTsType);
}

QJsonObject LiveStreams::snapshot() const {
    const std::lock_guard lock(m_mutex);
    QJsonObject streams;
    for (const auto& [channel, count] : m_streamRequests) {
        streams.insert(QString::number(channel), count);
    }
    QJsonObject playlists;
    for (const auto& [channel, count] : m_playlistRequests) {
        playlists.insert(QString::number(channel), count);
    }
    return QJsonObject{
        {QStringLiteral("open"), m_open.load()},
        {QStringLiteral("streamRequests"), streams},
        {QStringLiteral("playlistRequests"), playlists},
        {QStringLiteral("refused"), m_refused},
        {QStringLiteral("lastChannel"), m_lastChannel},
        {QStringLiteral("lastUser"), m_lastUser},
        {QStringLiteral("lastAuthUrl"), m_lastAuthUrl},
    };
}
