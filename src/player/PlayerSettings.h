#pragma once

#include <QString>

// What the player remembers for the user between runs: volume and mute, in section [Player] of
// the per-user state file, and which video output to use when one is asked for. A missing,
// unreadable or garbled file gives the defaults; every write replaces the file atomically.
class PlayerSettings {
public:
    static constexpr int kDefaultVolume = 80;

    // The per-user state file: state.ini in the application's configuration folder.
    static QString defaultPath();

    explicit PlayerSettings(QString path = defaultPath());

    int volume() const;  // 0-100
    bool muted() const;
    // "software", "opengl" or empty (choose by the platform).
    QString videoOutput() const;
    // Whether libmpv may decode on the graphics hardware where it can (it falls back to the
    // processor by itself where it cannot): yes unless HardwareDecoding=no.
    bool hardwareDecoding() const;
    // Where recordings and stills go: RecordFolder= and StillFolder=, otherwise "VELO" in the
    // user's videos and pictures folders.
    QString recordFolder() const;
    QString stillFolder() const;
    // The timeshift's bound: TimeshiftSeconds= (30 minutes) and TimeshiftMegabytes= (1 GiB),
    // whichever is reached first, kept in the user's cache folder.
    int timeshiftSeconds() const;
    qint64 timeshiftBytes() const;
    static QString timeshiftFolder();
    // A recording ends before the disk is full: RecordMinFreeMegabytes= (64) stay free.
    qint64 recordMinFreeBytes() const;

    bool setVolume(int volume) const;
    bool setMuted(bool muted) const;

private:
    QString read(const QString& key) const;

    QString m_path;
};
