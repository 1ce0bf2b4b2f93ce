#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>

struct mpv_handle;
struct mpv_event;

// One libmpv player, driven from the GUI thread. libmpv's events are read there too: its
// wake-up callback only queues a call to this object. Every load is known by the playlist
// entry id libmpv gives it, and each event says which entry it is about, so what a previous
// load reports late is never taken for the current one.
class MpvPlayer : public QObject {
    Q_OBJECT

public:
    enum class End { Eof, Error, Refused };

    explicit MpvPlayer(QObject* parent = nullptr);
    ~MpvPlayer() override;

    // Makes and starts the player; false when libmpv cannot start.
    bool initialise();
    mpv_handle* handle() const { return m_handle; }

    // Plays ADDRESS instead of whatever plays, sending HEADERS with every HTTP request.
    void load(const QString& address, const QStringList& headers);
    void stop();
    void setVolume(int volume);
    void setMuted(bool muted);

    // The entry of the latest load, once libmpv has named it (0 before).
    qint64 currentEntry() const { return m_entry; }
    // True once the current entry has started playing (its first frame is ready), until it ends.
    bool entryPlaying() const { return m_entryPlaying; }

signals:
    // The position of the current entry moved.
    void positionMoved();
    // The current entry ended by itself or could not be opened; HTTPSTATUS is the last HTTP
    // error status seen for it (0 when none).
    void ended(MpvPlayer::End how, int httpStatus);

private:
    static void onWakeup(void* self);
    void drain();
    void handle(const mpv_event& event);

    mpv_handle* m_handle = nullptr;
    std::atomic<bool> m_drainQueued{false};
    quint64 m_loadSerial = 0;  // the reply id of the latest load
    bool m_replyPending = false;
    qint64 m_entry = 0;  // its playlist entry, once known
    bool m_entryStarted = false;
    bool m_entryPlaying = false;
    int m_lastHttpStatus = 0;
    enum class PendingEnd { None, Eof, Error };
    PendingEnd m_pendingEnd = PendingEnd::None;  // the current entry ended in this drain
};
