#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>
#include <cstdint>
#include <optional>

// One data file that the service replaces atomically and that an operator may also edit by hand
// while the service runs. It remembers which version of the file it last read or wrote, so the
// owner can pick up hand edits without re-reading on every request.
class WatchedFile {
public:
    explicit WatchedFile(QString path);

    const QString& path() const { return m_path; }
    bool exists() const;

    // True when the file on disk is another version than the one last read or written here.
    // A file that has disappeared does not count as changed: the last content stays in use.
    bool changedOnDisk() const;

    // The whole file; its version becomes the known one. Nothing when it cannot be read.
    std::optional<QByteArray> read();

    // Replaces the file in one step (a crash leaves the old or the new file, never a mix).
    // On failure ERROR says why and the file is unchanged.
    bool write(const QByteArray& bytes, QString& error);

private:
    struct Stamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        std::int64_t modifiedNs = 0;

        bool operator==(const Stamp& other) const;
    };

    std::optional<Stamp> currentStamp() const;

    QString m_path;
    std::optional<Stamp> m_known;
};
