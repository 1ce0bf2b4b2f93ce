#include "MpvPlayer.h"

#include "MpvLibrary.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <clocale>
#include <condition_variable>
#include <future>
#include <mutex>
#include <utility>
#include <vector>

namespace {

enum : quint64 { kTimePos = 1, kCurrentAudioOutput, kCacheTime };
// Reply ids of commands that are no load: far above any load's serial.
constexpr quint64 kSeekReply = quint64(1) << 62;
constexpr quint64 kStillReply = kSeekReply + 1;
// Seeking to the very newest moment would leave nothing to play; a second short of it plays on.
constexpr double kLiveMargin = 1.0;

// Options the player is made with. Sound goes to the first device that works and to nothing on
// a machine without one, so playback never waits for a missing device.
const char* const kOptions[][2] = {
    {"vo", "libmpv"},
    {"ytdl", "no"},
    {"config", "no"},
    {"load-scripts", "no"},
    {"terminal", "no"},
    {"input-default-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"osc", "no"},
    {"osd-level", "0"},
    {"idle", "yes"},
    {"keep-open", "no"},
    {"volume-max", "100"},
    {"audio-client-name", "VELO"},
    {"network-timeout", "10"},
    // What has arrived of a live stream is kept to be moved through: pause, back, forth.
    {"cache", "yes"},
    {"demuxer-seekable-cache", "yes"},
    // Short drops of an HTTP stream heal inside libavformat, without a reload.
    {"stream-lavf-o",
     "reconnect=1,reconnect_streamed=1,reconnect_on_network_error=1,"
     "reconnect_delay_max=2"},
};

int statusIn(const char* text) {
    static const QRegularExpression pattern(QStringLiteral("HTTP error (\\d{3})"));
    const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(text));
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

// The threads that make players. Each is waited for before the module goes, so none is left
// running in code that is no longer there.
class StartThreads {
public:
    ~StartThreads() {
        const std::lock_guard lock(m_mutex);
        m_running.clear();  // each waits for its thread
    }
    void run(std::function<void()> work) {
        const std::lock_guard lock(m_mutex);
        std::erase_if(m_running, [](const std::future<void>& thread) {
            return thread.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
        });
        m_running.push_back(std::async(std::launch::async, std::move(work)));
    }

private:
    std::mutex m_mutex;
    std::vector<std::future<void>> m_running;
};

StartThreads& startThreads() {
    static StartThreads threads;
    return threads;
}

struct HandleOptions {
    QByteArray audio;
    bool hardware = true;
    QByteArray bufferBytes;   // empty: libmpv's own bound
    QByteArray bufferFolder;  // empty: in memory
};

mpv_handle* makeHandle(const MpvLibrary& api, const HandleOptions& options) {
    mpv_handle* handle = api.create();
    if (handle == nullptr) {
        return nullptr;
    }
    for (const auto& [name, value] : kOptions) {
        api.set_option_string(handle, name, value);
    }
    api.set_option_string(handle, "ao", options.audio.constData());
    // Decoding on the graphics hardware where a safe method exists; libmpv falls back to the
    // processor by itself when there is none or it fails.
    api.set_option_string(handle, "hwdec", options.hardware ? "auto-safe" : "no");
    // The timeshift's bound holds both ways: what is kept behind the picture and what waits
    // ahead of it while it is held.
    if (!options.bufferBytes.isEmpty()) {
        api.set_option_string(handle, "demuxer-max-back-bytes", options.bufferBytes.constData());
        api.set_option_string(handle, "demuxer-max-bytes", options.bufferBytes.constData());
    }
    if (!options.bufferFolder.isEmpty()) {
        api.set_option_string(handle, "cache-on-disk", "yes");
        api.set_option_string(handle, "cache-dir", options.bufferFolder.constData());
    }
    if (api.initialize(handle) < 0) {
        api.terminate_destroy(handle);
        return nullptr;
    }
    return handle;
}

}  // namespace

// What the thread that makes the player leaves for it, or disposes of itself when the player
// has gone meanwhile.
struct MpvPlayer::Start {
    std::mutex mutex;
    std::condition_variable wake;
    bool hurry = false;  // a channel is wanted: no more waiting for start-up to settle
    bool abandoned = false;
    bool finished = false;
    const MpvLibrary* api = nullptr;
    mpv_handle* handle = nullptr;
};

MpvPlayer::MpvPlayer(QObject* parent) : QObject(parent) {}

MpvPlayer::~MpvPlayer() {
    if (m_start) {
        const std::lock_guard lock(m_start->mutex);
        m_start->abandoned = true;
        m_start->wake.notify_all();
        // Made, but not taken yet: it goes with this player.
        if (m_start->finished && m_start->handle != nullptr) {
            m_start->api->terminate_destroy(m_start->handle);
            m_start->handle = nullptr;
        }
    }
    if (m_handle != nullptr) {
        m_api->set_wakeup_callback(m_handle, nullptr, nullptr);
        m_api->terminate_destroy(m_handle);
    }
}

void MpvPlayer::hurry() {
    if (m_start) {
        const std::lock_guard lock(m_start->mutex);
        m_start->hurry = true;
        m_start->wake.notify_all();
    }
}

void MpvPlayer::initialise(std::function<void(bool)> done) {
    if (m_handle != nullptr) {
        done(true);
        return;
    }
    m_started = std::move(done);
    if (m_start) {
        return;  // under way already
    }
    // libmpv reads numbers with the C library and refuses to start under another convention;
    // the convention is the process's, so it is set here, before any thread of libmpv exists.
    std::setlocale(LC_NUMERIC, "C");
    const QByteArray audio =
        qEnvironmentVariable("VELO_AUDIO_OUTPUT", QStringLiteral("pulse,alsa,null")).toUtf8();
    m_audioOutputs = audio;
    auto start = std::make_shared<Start>();
    m_start = start;
    // The first player of a run is made as the window comes up, when Qt loads libraries of its
    // own: libmpv's loading would hold those up (the loader does one at a time), so it waits
    // until start-up has settled (VELO_PLAYER_SETTLE_MS says how long). Any later player is
    // wanted now.
    static bool first = true;
    int settleMs = 0;
    if (std::exchange(first, false) && MpvLibrary::loaded() == nullptr) {
        bool set = false;
        const int asked = qEnvironmentVariableIntValue("VELO_PLAYER_SETTLE_MS", &set);
        settleMs = set ? std::max(0, asked) : kFirstLoadDelayMs;
    }
    HandleOptions options;
    options.audio = audio;
    options.hardware = m_hardwareDecoding;
    if (m_bufferBytes > 0) {
        options.bufferBytes = QByteArray::number(m_bufferBytes);
    }
    if (!m_bufferFolder.isEmpty() && QDir().mkpath(m_bufferFolder)) {
        options.bufferFolder = QFile::encodeName(m_bufferFolder);
    }
    startThreads().run([this, start, options, settleMs] {
        if (settleMs > 0) {
            std::unique_lock lock(start->mutex);
            start->wake.wait_for(lock, std::chrono::milliseconds(settleMs),
                                 [&start] { return start->abandoned || start->hurry; });
            if (start->abandoned) {
                return;
            }
        }
        const MpvLibrary* api = MpvLibrary::load();
        mpv_handle* handle = api != nullptr ? makeHandle(*api, options) : nullptr;
        const std::lock_guard lock(start->mutex);
        if (start->abandoned) {
            if (handle != nullptr) {
                api->terminate_destroy(handle);
            }
            return;
        }
        start->api = api;
        start->handle = handle;
        start->finished = true;
        // Posted while the player cannot go: its going takes the same lock, and drops the
        // posted call with it.
        QMetaObject::invokeMethod(
            this, [this] { finishInitialise(); }, Qt::QueuedConnection);
    });
}

void MpvPlayer::finishInitialise() {
    {
        const std::lock_guard lock(m_start->mutex);
        m_api = m_start->api;
        m_handle = std::exchange(m_start->handle, nullptr);
    }
    m_start.reset();
    if (m_handle != nullptr) {
        // The HTTP status of a refused stream shows only in libavformat's messages.
        m_api->request_log_messages(m_handle, "warn");
        m_api->observe_property(m_handle, kTimePos, "time-pos", MPV_FORMAT_DOUBLE);
        m_api->observe_property(m_handle, kCurrentAudioOutput, "current-ao", MPV_FORMAT_STRING);
        m_api->observe_property(m_handle, kCacheTime, "demuxer-cache-time", MPV_FORMAT_DOUBLE);
        m_api->set_wakeup_callback(m_handle, &MpvPlayer::onWakeup, this);
    }
    if (auto done = std::exchange(m_started, {})) {
        done(m_handle != nullptr);
    }
}

void MpvPlayer::load(const QString& address, const QStringList& headers) {
    if (m_handle == nullptr) {
        return;
    }
    QList<QByteArray> headerBytes;
    for (const QString& header : headers) {
        headerBytes.append(header.toUtf8());
    }
    std::vector<mpv_node> items(static_cast<std::size_t>(headerBytes.size()));
    for (std::size_t i = 0; i < items.size(); ++i) {
        items[i].format = MPV_FORMAT_STRING;
        items[i].u.string = headerBytes[static_cast<qsizetype>(i)].data();
    }
    mpv_node_list list{static_cast<int>(items.size()), items.data(), nullptr};
    mpv_node headerNode;
    headerNode.format = MPV_FORMAT_NODE_ARRAY;
    headerNode.u.list = &list;
    m_api->set_property(m_handle, "http-header-fields", MPV_FORMAT_NODE, &headerNode);

    ++m_loadSerial;
    m_pendingEnd = PendingEnd::None;
    m_replyPending = true;
    m_entry = 0;
    m_entryStarted = false;
    m_entryPlaying = false;
    m_lastHttpStatus = 0;
    m_timePos = 0;
    m_cacheEnd = 0;
    setPaused(false);
    const QByteArray url = address.toUtf8();
    const char* command[] = {"loadfile", url.constData(), "replace", nullptr};
    m_api->command_async(m_handle, m_loadSerial, command);
}

void MpvPlayer::stop() {
    if (m_handle == nullptr) {
        return;
    }
    // Whatever the stopped entry still reports belongs to no load of ours.
    ++m_loadSerial;
    m_pendingEnd = PendingEnd::None;
    m_replyPending = false;
    m_entry = -1;
    m_entryStarted = false;
    m_entryPlaying = false;
    const char* command[] = {"stop", nullptr};
    m_api->command_async(m_handle, 0, command);
}

void MpvPlayer::setVolume(int volume) {
    if (m_handle != nullptr) {
        double value = volume;
        m_api->set_property_async(m_handle, 0, "volume", MPV_FORMAT_DOUBLE, &value);
    }
}

void MpvPlayer::setMuted(bool muted) {
    if (m_handle != nullptr) {
        int flag = muted ? 1 : 0;
        m_api->set_property_async(m_handle, 0, "mute", MPV_FORMAT_FLAG, &flag);
    }
}

void MpvPlayer::setPaused(bool paused) {
    if (m_handle != nullptr) {
        int flag = paused ? 1 : 0;
        m_api->set_property_async(m_handle, 0, "pause", MPV_FORMAT_FLAG, &flag);
    }
}

void MpvPlayer::seekBy(double seconds, double maxBehind) {
    if (m_handle == nullptr || !m_entryPlaying) {
        return;
    }
    // Forward no further than what has arrived; back as far as libmpv has kept and the bound
    // allows.
    const double target = seconds > 0 ? std::min(m_timePos + seconds, m_cacheEnd - kLiveMargin)
                                      : std::max(m_timePos + seconds, m_cacheEnd - maxBehind);
    if (seconds > 0 && target <= m_timePos) {
        return;
    }
    const QByteArray to = QByteArray::number(std::max(0.0, target), 'f', 3);
    const char* command[] = {"seek", to.constData(), "absolute", nullptr};
    m_api->command_async(m_handle, kSeekReply, command);
}

void MpvPlayer::seekToLive() {
    if (behindLive() > 0) {
        seekBy(m_cacheEnd - m_timePos);
    }
}

double MpvPlayer::behindLive() const {
    const double behind = m_cacheEnd - m_timePos;
    return m_entryPlaying && behind > 2 * kLiveMargin ? behind : 0.0;
}

void MpvPlayer::setRecordFile(const QString& path) {
    if (m_handle != nullptr) {
        const QByteArray file = QFile::encodeName(path);
        const char* value = file.constData();
        m_api->set_property_async(m_handle, 0, "stream-record", MPV_FORMAT_STRING, &value);
    }
}

void MpvPlayer::saveStill(const QString& path) {
    if (m_handle == nullptr || !m_entryPlaying) {
        emit stillSaved(false);
        return;
    }
    const QByteArray file = QFile::encodeName(path);
    const char* command[] = {"screenshot-to-file", file.constData(), "video", nullptr};
    m_api->command_async(m_handle, kStillReply, command);
}

// Called on one of libmpv's threads: only queue the reading to the GUI thread, once.
void MpvPlayer::onWakeup(void* self) {
    auto* player = static_cast<MpvPlayer*>(self);
    if (!player->m_drainQueued.exchange(true)) {
        QMetaObject::invokeMethod(
            player, [player] { player->drain(); }, Qt::QueuedConnection);
    }
}

void MpvPlayer::drain() {
    m_drainQueued = false;
    while (m_handle != nullptr) {
        const mpv_event* event = m_api->wait_event(m_handle, 0);
        if (event->event_id == MPV_EVENT_NONE) {
            break;
        }
        handle(*event);
    }
    const PendingEnd end = std::exchange(m_pendingEnd, PendingEnd::None);
    if (end == PendingEnd::Eof) {
        emit ended(End::Eof, m_lastHttpStatus);
    } else if (end == PendingEnd::Error) {
        const bool refused = m_lastHttpStatus == 401 || m_lastHttpStatus == 403;
        emit ended(refused ? End::Refused : End::Error, m_lastHttpStatus);
    }
}

void MpvPlayer::handle(const mpv_event& event) {
    switch (event.event_id) {
        case MPV_EVENT_COMMAND_REPLY: {
            if (event.reply_userdata == kStillReply) {
                emit stillSaved(event.error >= 0);
                return;
            }
            // The reply to the latest load names its playlist entry.
            if (event.reply_userdata != m_loadSerial || event.data == nullptr) {
                return;
            }
            const auto* reply = static_cast<const mpv_event_command*>(event.data);
            if (reply->result.format == MPV_FORMAT_NODE_MAP) {
                const mpv_node_list* map = reply->result.u.list;
                for (int i = 0; i < map->num; ++i) {
                    if (qstrcmp(map->keys[i], "playlist_entry_id") == 0 &&
                        map->values[i].format == MPV_FORMAT_INT64 &&
                        map->values[i].u.int64 != m_entry) {
                        // An entry taken for this load before the reply came was another's.
                        m_entry = map->values[i].u.int64;
                        m_entryStarted = false;
                        m_entryPlaying = false;
                    }
                }
            }
            m_replyPending = false;
            if (event.error < 0) {
                emit ended(End::Error, 0);
            }
            return;
        }
        case MPV_EVENT_START_FILE: {
            const auto* start = static_cast<const mpv_event_start_file*>(event.data);
            // The start of a load can come before the reply that names its entry; the entry
            // that starts meanwhile is taken for it until the reply says otherwise.
            if (m_replyPending && m_entry == 0) {
                m_entry = start->playlist_entry_id;
            }
            if (start->playlist_entry_id == m_entry) {
                m_entryStarted = true;
            }
            return;
        }
        case MPV_EVENT_PLAYBACK_RESTART:
            m_entryPlaying = m_entryStarted;
            return;
        case MPV_EVENT_LOG_MESSAGE: {
            // A message can come before or after the start of the load it is about: every
            // status since the load counts.
            const auto* message = static_cast<const mpv_event_log_message*>(event.data);
            if (const int status = statusIn(message->text); status != 0) {
                m_lastHttpStatus = status;
            }
            return;
        }
        case MPV_EVENT_END_FILE: {
            const auto* end = static_cast<const mpv_event_end_file*>(event.data);
            if (end->playlist_entry_id != m_entry || m_entry <= 0) {
                return;
            }
            m_entryStarted = false;
            m_entryPlaying = false;
            // libmpv hands out queued events before its messages: the message with the HTTP
            // status of a failed load is read after its end, so the end is told once the
            // queue is empty.
            if (end->reason == MPV_END_FILE_REASON_EOF) {
                m_pendingEnd = PendingEnd::Eof;
            } else if (end->reason == MPV_END_FILE_REASON_ERROR) {
                m_pendingEnd = PendingEnd::Error;
            }
            return;
        }
        case MPV_EVENT_PROPERTY_CHANGE:
            if (event.reply_userdata == kCurrentAudioOutput) {
                const auto* property = static_cast<const mpv_event_property*>(event.data);
                if (property->format == MPV_FORMAT_STRING && property->data != nullptr &&
                    qstrcmp(*static_cast<const char* const*>(property->data), "null") == 0) {
                    // The silent output by choice is no missing device; after others it is.
                    bool others = false;
                    for (const QByteArray& name : m_audioOutputs.split(',')) {
                        others = others || (!name.trimmed().isEmpty() && name.trimmed() != "null");
                    }
                    if (others && !std::exchange(m_soundMissingSaid, true)) {
                        emit soundOutputMissing();
                    }
                }
                return;
            }
            if (event.reply_userdata == kCacheTime) {
                const auto* property = static_cast<const mpv_event_property*>(event.data);
                if (property->format == MPV_FORMAT_DOUBLE) {
                    m_cacheEnd = *static_cast<const double*>(property->data);
                }
                return;
            }
            if (event.reply_userdata == kTimePos && m_entryStarted) {
                const auto* property = static_cast<const mpv_event_property*>(event.data);
                if (property->format == MPV_FORMAT_DOUBLE) {
                    m_timePos = *static_cast<const double*>(property->data);
                    emit positionMoved();
                }
            }
            return;
        default:
            return;
    }
}
