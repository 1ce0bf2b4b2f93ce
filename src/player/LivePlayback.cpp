#include "LivePlayback.h"

#include "HostTrace.h"
#include "PlayerView.h"
#include "VideoSurface.h"
#include "ZarTexts.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>

#include <algorithm>

LivePlayback::LivePlayback(PlayerView& view, ReconnectWatchdog::Timings timings, QObject* parent)
    : QObject(parent),
      m_view(view),
      m_watchdog(std::move(timings)),
      m_volume(m_settings.volume()),
      m_muted(m_settings.muted()) {
    m_clock.start();
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &LivePlayback::tick);
    m_saveDelay.setSingleShot(true);
    m_saveDelay.setInterval(kSaveDelayMs);
    connect(&m_saveDelay, &QTimer::timeout, this, &LivePlayback::save);
    connect(&m_view, &PlayerView::frameShown, this, [this] {
        if (m_player && m_player->entryPlaying()) {
            progress();
        }
    });
    // The picture has somewhere to go: at first, or again after its GL context was replaced,
    // when libmpv's video output went with the old one and the channel is loaded anew.
    connect(&m_view, &PlayerView::surfaceReady, this, [this] {
        if (m_pendingLoad || m_wanted) {
            load();
        }
    });
    connect(&m_view, &PlayerView::volumeStepped, this, &LivePlayback::stepVolume);
    connect(&m_view, &PlayerView::muteToggled, this, &LivePlayback::toggleMute);
    connect(&m_view, &PlayerView::pauseToggled, this, &LivePlayback::togglePause);
    connect(&m_view, &PlayerView::seekStepped, this, &LivePlayback::seekBy);
    connect(&m_view, &PlayerView::liveRequested, this, &LivePlayback::goLive);
    connect(&m_view, &PlayerView::recordToggled, this, &LivePlayback::toggleRecording);
    connect(&m_view, &PlayerView::stillRequested, this, &LivePlayback::saveStill);
}

LivePlayback::~LivePlayback() {
    // A client that closes while recording leaves the recording whole, by its final name.
    endRecording();
    if (m_saveDelay.isActive()) {
        save();
    }
    // The picture lets go of the player before the player goes.
    m_view.surface().detach();
    m_player.reset();
}

void LivePlayback::initialise() {
    if (m_player || m_starting) {
        return;
    }
    m_starting = std::make_unique<MpvPlayer>();
    m_starting->setHardwareDecoding(m_settings.hardwareDecoding());
    m_starting->setTimeshiftBuffer(m_settings.timeshiftBytes(), PlayerSettings::timeshiftFolder());
    m_starting->initialise([this](bool started) {
        std::unique_ptr<MpvPlayer> player = std::move(m_starting);
        if (!started || !m_view.surface().attach(player->handle())) {
            m_view.surface().detach();
            // It is still telling of its start: it goes once that is over.
            player.release()->deleteLater();
            return;
        }
        m_player = std::move(player);
        m_player->setVolume(m_volume);
        m_player->setMuted(m_muted);
        connect(m_player.get(), &MpvPlayer::positionMoved, this, [this] {
            if (m_player->entryPlaying()) {
                progress();
            }
        });
        connect(m_player.get(), &MpvPlayer::ended, this,
                [this](MpvPlayer::End how, int) { ended(how); });
        connect(m_player.get(), &MpvPlayer::stillSaved, this, [this](bool saved) {
            m_view.showNote(saved ? ZarTexts::stillSaved() : ZarTexts::cannotSaveStill());
        });
        connect(m_player.get(), &MpvPlayer::soundOutputMissing, this, [this] {
            // Said once; the sound keys then say it again instead of changing what none hears.
            m_noSound = true;
            m_view.showNote(ZarTexts::noSoundOutput());
        });
        if (auto waiting = std::exchange(m_waiting, std::nullopt)) {
            play(waiting->address, waiting->channel);
        }
    });
}

void LivePlayback::setCredentials(const QString& id, const QString& password,
                                  const QString& authUrl) {
    m_id = id;
    m_password = password;
    m_authUrl = authUrl;
}

void LivePlayback::play(const QString& address, const QString& channel) {
    if (!m_player) {
        // Still starting: the channel plays once the player is there, and it is there sooner.
        if (m_starting) {
            m_waiting = Waiting{address, channel};
            m_starting->hurry();
        }
        return;
    }
    // A recording and a held picture belong to the channel they were made on.
    endRecording();
    m_paused = false;
    m_channel = channel;
    m_address = address;
    m_stopQueued = false;
    m_wanted = true;
    m_everPlayed = false;
    m_refused = false;
    m_view.setChannel(channel);
    m_view.surface().clearPicture();
    m_view.showNotice(PlayerView::Notice::None);
    m_view.showNote(channel);
    m_watchdog.start(now());
    m_tick.start();
    m_view.surface().prepare();
    load();
}

void LivePlayback::load() {
    if (!m_view.surface().isReady()) {
        m_pendingLoad = true;
        return;
    }
    m_pendingLoad = false;
    // The stream server knows the account by basic authentication; the authorisation address
    // goes along so the server can tell which service sent the viewer.
    QStringList headers;
    if (!m_id.isEmpty()) {
        headers << QStringLiteral("Authorization: Basic %1")
                       .arg(QString::fromLatin1(
                           (m_id + QLatin1Char(':') + m_password).toUtf8().toBase64()));
    }
    if (!m_authUrl.isEmpty()) {
        headers << QStringLiteral("X-Velo-Auth-Url: %1").arg(m_authUrl);
    }
    m_player->load(m_address, headers);
}

void LivePlayback::stop() {
    endRecording();
    m_paused = false;
    m_view.setMarks({});
    m_waiting.reset();
    m_wanted = false;
    m_pendingLoad = false;
    m_tick.stop();
    m_watchdog.cancel();
    // A play request begins with a stop: the stop reaches libmpv, and the picture leaves full
    // screen, only if no channel follows in the same turn of the event loop, so a zap replaces
    // the stream, keeps the video output and keeps the picture full screen.
    if (!m_stopQueued) {
        m_stopQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_stopQueued) {
                    // Nothing plays: no black window stays over the desktop, and what only
                    // drawing needed (a GL window) goes until the next play.
                    m_view.setFullScreen(false);
                    if (m_player) {
                        m_player->stop();
                        m_view.surface().release();
                    }
                }
                m_stopQueued = false;
            },
            Qt::QueuedConnection);
    }
    m_view.surface().clearPicture();
    m_view.showNotice(PlayerView::Notice::None);
    m_view.setAccessibleDescription(QString());
}

void LivePlayback::progress() {
    if (!m_wanted) {
        return;
    }
    const bool wasPlaying = m_watchdog.playing();
    m_watchdog.progress(now());
    if (m_watchdog.playing()) {
        m_everPlayed = true;
        m_refused = false;
        if (!wasPlaying) {
            HostTrace::mark("picture-shown");
            showState();
        }
    }
}

void LivePlayback::ended(MpvPlayer::End how) {
    if (!m_wanted) {
        return;
    }
    m_refused = how == MpvPlayer::End::Refused;
    m_watchdog.failed(now());
    showState();
}

void LivePlayback::tick() {
    if (!m_wanted) {
        return;
    }
    if (!m_recording.isEmpty() &&
        QStorageInfo(QFileInfo(m_recording).absolutePath()).bytesAvailable() <
            m_settings.recordMinFreeBytes()) {
        endRecording();
        m_view.showNote(ZarTexts::diskFull());
    }
    // What is kept never reaches further back than the bound: a picture held longer moves on.
    const int bound = m_settings.timeshiftSeconds();
    if (m_player && m_player->behindLive() > bound + 1) {
        m_player->seekBy(m_player->behindLive() - bound);
    }
    showMarks();
    // A held picture stands still on purpose: no reload takes it back to live.
    if (m_paused) {
        return;
    }
    if (m_watchdog.reloadDue(now())) {
        load();
    }
    showState();
}

void LivePlayback::showState() {
    using Notice = PlayerView::Notice;
    if (m_watchdog.playing() || m_watchdog.failures() == 0) {
        m_view.showNotice(Notice::None);
    } else if (m_refused) {
        m_view.showNotice(Notice::Refused);
    } else if (!m_everPlayed || m_watchdog.givenUp()) {
        // A channel that never came, or stays away, cannot be played now; the watchdog keeps
        // trying behind the message.
        m_view.showNotice(Notice::CannotPlay);
    } else {
        m_view.showNotice(Notice::Reconnecting, m_watchdog.failures());
    }
}

void LivePlayback::stepVolume(int delta) {
    if (m_noSound) {
        m_view.showNote(ZarTexts::noSoundOutput());
        return;
    }
    m_volume = std::clamp(m_volume + delta, 0, 100);
    if (m_player) {
        m_player->setVolume(m_volume);
    }
    m_view.showNote(
        m_muted ? QStringLiteral("%1 (%2)").arg(ZarTexts::volume(m_volume), ZarTexts::muted())
                : ZarTexts::volume(m_volume));
    m_saveDelay.start();
}

void LivePlayback::toggleMute() {
    if (m_noSound) {
        m_view.showNote(ZarTexts::noSoundOutput());
        return;
    }
    m_muted = !m_muted;
    if (m_player) {
        m_player->setMuted(m_muted);
    }
    m_view.showNote(m_muted ? ZarTexts::muted() : ZarTexts::unmuted());
    m_saveDelay.start();
}

void LivePlayback::save() {
    m_saveDelay.stop();
    m_settings.setVolume(m_volume);
    m_settings.setMuted(m_muted);
}

void LivePlayback::togglePause() {
    if (!m_player || (!m_paused && !m_watchdog.playing())) {
        return;
    }
    m_paused = !m_paused;
    m_player->setPaused(m_paused);
    if (!m_paused) {
        // Held on purpose, not stalled: the watchdog counts from now.
        m_watchdog.progress(now());
    }
    m_view.showNote(m_paused ? ZarTexts::paused() : ZarTexts::resumed());
    showMarks();
}

void LivePlayback::seekBy(int seconds) {
    if (!m_player || !m_watchdog.playing()) {
        return;
    }
    m_player->seekBy(seconds, m_settings.timeshiftSeconds());
    m_view.showNote(seconds < 0 ? ZarTexts::back(-seconds) : ZarTexts::forth(seconds));
}

void LivePlayback::goLive() {
    if (!m_player || !m_watchdog.playing()) {
        return;
    }
    if (m_paused) {
        togglePause();
    }
    m_player->seekToLive();
    m_view.showNote(ZarTexts::live());
}

void LivePlayback::toggleRecording() {
    if (!m_recording.isEmpty()) {
        endRecording();
        m_view.showNote(ZarTexts::recordingStopped());
        return;
    }
    if (!m_player || !m_watchdog.playing()) {
        return;
    }
    const QString file = fileFor(m_settings.recordFolder(), QStringLiteral("yyyy-MM-dd HH-mm"),
                                 QStringLiteral(".ts"));
    if (file.isEmpty()) {
        m_view.showNote(ZarTexts::cannotRecord());
        return;
    }
    // Written under a name of its own until it ends, so a file by the final name is whole; the
    // name keeps the ending libmpv tells the file's format by.
    m_recordingAs = file;
    m_recording = file.chopped(3) + kPartSuffix;
    m_recordingSince.start();
    m_player->setRecordFile(m_recording);
    m_view.showNote(ZarTexts::recordingTo(QFileInfo(file).fileName()));
    showMarks();
}

void LivePlayback::endRecording() {
    if (m_recording.isEmpty()) {
        return;
    }
    const QString part = std::exchange(m_recording, QString());
    if (m_player) {
        m_player->setRecordFile(QString());
    }
    // The file keeps its inode when renamed: what libmpv still writes as it closes goes on into
    // the file by its final name.
    QString done = m_recordingAs;
    for (int n = 2; QFileInfo::exists(done); ++n) {
        done = m_recordingAs.chopped(3) + QStringLiteral(" (%1).ts").arg(n);
    }
    QFile::rename(part, done);
    showMarks();
}

void LivePlayback::saveStill() {
    if (!m_player || !m_watchdog.playing()) {
        return;
    }
    const QString file = fileFor(m_settings.stillFolder(), QStringLiteral("yyyy-MM-dd HH-mm-ss"),
                                 QStringLiteral(".png"));
    if (file.isEmpty()) {
        m_view.showNote(ZarTexts::cannotSaveStill());
        return;
    }
    m_player->saveStill(file);
}

void LivePlayback::showMarks() {
    QStringList marks;
    if (!m_recording.isEmpty()) {
        marks << ZarTexts::recording(static_cast<int>(m_recordingSince.elapsed() / 1000));
    }
    if (m_paused) {
        marks << ZarTexts::paused();
    }
    const int behind = m_player ? static_cast<int>(m_player->behindLive()) : 0;
    if (behind > 0) {
        marks << ZarTexts::behind(behind);
    }
    m_view.setMarks(marks);
}

QString LivePlayback::fileFor(const QString& folder, const QString& format,
                              const QString& suffix) const {
    if (!QDir().mkpath(folder)) {
        return {};
    }
    // The channel's name as the file's, without what a file name cannot hold.
    QString name = m_channel;
    static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    name.replace(unsafe, QStringLiteral("_"));
    name = name.trimmed();
    if (name.isEmpty()) {
        name = QStringLiteral("VELO");
    }
    const QString stamp = QDateTime::currentDateTime().toString(format);
    QString path = QDir(folder).filePath(QStringLiteral("%1 %2%3").arg(name, stamp, suffix));
    // Two in the same second get a number, so none is written over.
    for (int n = 2; QFileInfo::exists(path); ++n) {
        path = QDir(folder).filePath(
            QStringLiteral("%1 %2 (%3)%4").arg(name, stamp).arg(n).arg(suffix));
    }
    return path;
}
