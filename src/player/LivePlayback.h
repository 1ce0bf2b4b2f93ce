#pragma once

#include "MpvPlayer.h"
#include "PlayerSettings.h"
#include "ReconnectWatchdog.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <optional>

class PlayerView;

// Plays the channel the user chose in the player pane and keeps it playing: it loads the
// address with the account's credentials, tells the pane what it shows, reloads through the
// watchdog when the stream fails, and carries volume and mute over from the last run.
class LivePlayback : public QObject {
    Q_OBJECT

public:
    static constexpr int kTickMs = 250;
    static constexpr int kSaveDelayMs = 500;
    // A recording's temporary name ends so, in place of ".ts".
    inline static const QString kPartSuffix = QStringLiteral(".part.ts");

    LivePlayback(PlayerView& view, ReconnectWatchdog::Timings timings = {},
                 QObject* parent = nullptr);
    ~LivePlayback() override;

    // Starts the player beside the window; initialised() tells when it is there. A player that
    // cannot start never is.
    void initialise();
    bool initialised() const { return m_player != nullptr; }

    void setCredentials(const QString& id, const QString& password, const QString& authUrl);
    void play(const QString& address, const QString& channel);
    void stop();
    bool paused() const { return m_paused; }
    const QString& recordingFile() const { return m_recording; }
    // True while frames of the chosen channel are being shown.
    bool showingFrames() const { return m_watchdog.playing(); }

private:
    qint64 now() const { return m_clock.elapsed(); }
    void load();
    void progress();
    void ended(MpvPlayer::End how);
    void tick();
    void showState();
    void stepVolume(int delta);
    void toggleMute();
    void save();
    void togglePause();
    void seekBy(int seconds);
    void goLive();
    void toggleRecording();
    void endRecording();
    void saveStill();
    void showMarks();
    // A file in FOLDER named after the channel and the moment, ending in SUFFIX.
    QString fileFor(const QString& folder, const QString& format, const QString& suffix) const;

    PlayerView& m_view;
    std::unique_ptr<MpvPlayer> m_player;
    std::unique_ptr<MpvPlayer> m_starting;  // until it has started
    struct Waiting {
        QString address;
        QString channel;
    };
    std::optional<Waiting> m_waiting;  // asked for while the player was starting
    ReconnectWatchdog m_watchdog;
    QElapsedTimer m_clock;
    QTimer m_tick;
    QTimer m_saveDelay;
    PlayerSettings m_settings;
    int m_volume;
    bool m_muted;
    bool m_noSound = false;  // sound has no device to go to
    QString m_id;
    QString m_password;
    QString m_authUrl;
    QString m_address;
    bool m_wanted = false;
    bool m_stopQueued = false;   // a stop waits for the end of this turn of the event loop
    bool m_pendingLoad = false;  // asked for before the picture had anywhere to go
    bool m_everPlayed = false;   // this channel has shown frames since it was chosen
    bool m_refused = false;      // the last failure was a refusal
    bool m_paused = false;       // the picture is held while the stream goes on arriving
    QString m_recording;         // the file the stream is being recorded to, or none
    QString m_channel;
    QElapsedTimer m_recordingSince;
    QString m_recordingAs;  // its final name
};
