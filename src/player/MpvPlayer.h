#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

struct mpv_handle;
struct mpv_event;
struct MpvLibrary;

// One libmpv player, driven from the GUI thread. libmpv's events are read there too: its
// wake-up callback only queues a call to this object. Every load is known by the playlist
// entry id libmpv gives it, and each event says which entry it is about, so what a previous
// load reports late is never taken for the current one. The player is made on a thread of its
// own (libmpv is loaded then, the first time), so starting it never holds up the window.
class MpvPlayer : public QObject {
    Q_OBJECT

public:
    enum class End { Eof, Error, Refused };

    explicit MpvPlayer(QObject* parent = nullptr);
    ~MpvPlayer() override;

    // Makes and starts the player beside the GUI thread; DONE follows on the GUI thread, false
    // when libmpv cannot start. At once when it is started already.
    void initialise(std::function<void(bool)> done);
    // Before initialise: whether libmpv may decode on the graphics hardware.
    void setHardwareDecoding(bool allowed) { m_hardwareDecoding = allowed; }
    // Before initialise: what of the stream is kept to be moved back through, at most BYTES,
    // on disk in FOLDER (in memory when none); libmpv removes its files as the player goes.
    void setTimeshiftBuffer(qint64 bytes, const QString& folder) {
        m_bufferBytes = bytes;
        m_bufferFolder = folder;
    }
    // The start is awaited: whatever it still waits for, it waits no longer.
    void hurry();
    static constexpr int kFirstLoadDelayMs = 1500;
    bool initialised() const { return m_handle != nullptr; }
    mpv_handle* handle() const { return m_handle; }
    const MpvLibrary* api() const { return m_api; }

    // Plays ADDRESS instead of whatever plays, sending HEADERS with every HTTP request.
    void load(const QString& address, const QStringList& headers);
    void stop();
    void setVolume(int volume);
    void setMuted(bool muted);

    // Live television held and moved through within what libmpv has kept of the stream: the
    // picture pauses while the stream goes on arriving, moves SECONDS back or forth (never past
    // what has arrived), and goes back to the newest picture. A load always starts unpaused.
    void setPaused(bool paused);
    // No further back than MAXBEHIND seconds behind the newest.
    void seekBy(double seconds, double maxBehind = 1e9);
    void seekToLive();
    // How far the picture is behind the newest that has arrived, in seconds (0 when live).
    double behindLive() const;
    // The stream as it arrives is written to PATH as well, until the empty path ends it.
    void setRecordFile(const QString& path);
    // The picture now shown is saved to PATH; stillSaved says whether it was.
    void saveStill(const QString& path);

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
    // Sound found no device and goes to nothing: every output asked for before the silent one
    // failed to open.
    void soundOutputMissing();
    void stillSaved(bool saved);

private:
    struct Start;
    void finishInitialise();
    static void onWakeup(void* self);
    void drain();
    void handle(const mpv_event& event);

    const MpvLibrary* m_api = nullptr;
    mpv_handle* m_handle = nullptr;
    std::shared_ptr<Start> m_start;  // shared with the thread that makes the player
    std::function<void(bool)> m_started;
    bool m_hardwareDecoding = true;
    qint64 m_bufferBytes = 0;
    QString m_bufferFolder;
    std::atomic<bool> m_drainQueued{false};
    quint64 m_loadSerial = 0;  // the reply id of the latest load
    bool m_replyPending = false;
    qint64 m_entry = 0;  // its playlist entry, once known
    bool m_entryStarted = false;
    bool m_entryPlaying = false;
    int m_lastHttpStatus = 0;
    enum class PendingEnd { None, Eof, Error };
    PendingEnd m_pendingEnd = PendingEnd::None;  // the current entry ended in this drain
    QByteArray m_audioOutputs;                   // the outputs asked for, in order
    bool m_soundMissingSaid = false;
    double m_timePos = 0;   // where the picture is in the stream
    double m_cacheEnd = 0;  // the newest moment of the stream that has arrived
};
