#include "MpvPlayer.h"

#include <mpv/client.h>

#include <QRegularExpression>

#include <clocale>
#include <utility>

namespace {

enum : quint64 { kTimePos = 1 };

// Options the player is made with. Sound goes to the first device that works and to nothing on
// a machine without one, so playback never waits for a missing device.
const char* const kOptions[][2] = {
    {"vo", "libmpv"},
    {"hwdec", "no"},
    {"gpu-hwdec-interop", "no"},
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

}  // namespace

MpvPlayer::MpvPlayer(QObject* parent) : QObject(parent) {}

MpvPlayer::~MpvPlayer() {
    if (m_handle != nullptr) {
        mpv_set_wakeup_callback(m_handle, nullptr, nullptr);
        mpv_terminate_destroy(m_handle);
    }
}

bool MpvPlayer::initialise() {
    if (m_handle != nullptr) {
        return true;
    }
    // libmpv reads numbers with the C library and refuses to start under another convention.
    std::setlocale(LC_NUMERIC, "C");
    m_handle = mpv_create();
    if (m_handle == nullptr) {
        return false;
    }
    for (const auto& [name, value] : kOptions) {
        mpv_set_option_string(m_handle, name, value);
    }
    const QByteArray audio =
        qEnvironmentVariable("VELO_AUDIO_OUTPUT", QStringLiteral("pulse,alsa,null")).toUtf8();
    mpv_set_option_string(m_handle, "ao", audio.constData());
    if (mpv_initialize(m_handle) < 0) {
        mpv_terminate_destroy(m_handle);
        m_handle = nullptr;
        return false;
    }
    // The HTTP status of a refused stream shows only in libavformat's messages.
    mpv_request_log_messages(m_handle, "warn");
    mpv_observe_property(m_handle, kTimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_set_wakeup_callback(m_handle, &MpvPlayer::onWakeup, this);
    return true;
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
    mpv_set_property(m_handle, "http-header-fields", MPV_FORMAT_NODE, &headerNode);

    ++m_loadSerial;
    m_pendingEnd = PendingEnd::None;
    m_replyPending = true;
    m_entry = 0;
    m_entryStarted = false;
    m_entryPlaying = false;
    m_lastHttpStatus = 0;
    const QByteArray url = address.toUtf8();
    const char* command[] = {"loadfile", url.constData(), "replace", nullptr};
    mpv_command_async(m_handle, m_loadSerial, command);
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
    mpv_command_async(m_handle, 0, command);
}

void MpvPlayer::setVolume(int volume) {
    if (m_handle != nullptr) {
        double value = volume;
        mpv_set_property_async(m_handle, 0, "volume", MPV_FORMAT_DOUBLE, &value);
    }
}

void MpvPlayer::setMuted(bool muted) {
    if (m_handle != nullptr) {
        int flag = muted ? 1 : 0;
        mpv_set_property_async(m_handle, 0, "mute", MPV_FORMAT_FLAG, &flag);
    }
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
        const mpv_event* event = mpv_wait_event(m_handle, 0);
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
            if (event.reply_userdata == kTimePos && m_entryStarted) {
                const auto* property = static_cast<const mpv_event_property*>(event.data);
                if (property->format == MPV_FORMAT_DOUBLE) {
                    emit positionMoved();
                }
            }
            return;
        default:
            return;
    }
}
