#include "WatchedFile.h"

#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>

#include <utility>

WatchedFile::WatchedFile(QString path) : m_path(std::move(path)) {}

bool WatchedFile::exists() const {
    return currentStamp().has_value();
}

bool WatchedFile::changedOnDisk() const {
    const auto now = currentStamp();
    return now && !(m_known && *m_known == *now);
}

std::optional<QByteArray> WatchedFile::read() {
    // The stamp is taken before reading: if the file changes while it is read, the next check
    // sees a newer stamp and reads again, instead of taking a half-old file for the new one.
    const auto stamp = currentStamp();
    QFile file(m_path);
    if (!stamp || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    m_known = stamp;
    return bytes;
}

bool WatchedFile::write(const QByteArray& bytes, QString& error) {
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("cannot write %1: %2").arg(m_path, file.errorString());
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        error = QStringLiteral("cannot write %1: %2").arg(m_path, file.errorString());
        file.cancelWriting();
        return false;
    }
    m_known = currentStamp();
    return true;
}

bool WatchedFile::Stamp::operator==(const Stamp& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           modifiedNs == other.modifiedNs;
}

std::optional<WatchedFile::Stamp> WatchedFile::currentStamp() const {
    struct stat info {};
    if (::stat(QFile::encodeName(m_path).constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    Stamp stamp;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedNs =
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return stamp;
}
