#include "PlayerSettings.h"

#include "platform/IniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace {

const QString kSection = QStringLiteral("Player");
constexpr int kValueChars = 64;

}  // namespace

QString PlayerSettings::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QStringLiteral("/state.ini");
}

PlayerSettings::PlayerSettings(QString path) : m_path(std::move(path)) {}

QString PlayerSettings::read(const QString& key) const {
    return IniFile::readString(m_path, kSection, key, QString(), kValueChars);
}

int PlayerSettings::volume() const {
    bool ok = false;
    const int value = read(QStringLiteral("Volume")).toInt(&ok);
    return ok && value >= 0 && value <= 100 ? value : kDefaultVolume;
}

bool PlayerSettings::muted() const {
    return read(QStringLiteral("Mute")) == QLatin1String("1");
}

QString PlayerSettings::videoOutput() const {
    const QString value = read(QStringLiteral("Video")).toLower();
    return value == QLatin1String("software") || value == QLatin1String("opengl") ? value
                                                                                  : QString();
}

bool PlayerSettings::hardwareDecoding() const {
    const QString value = read(QStringLiteral("HardwareDecoding")).toLower();
    return value != QLatin1String("no") && value != QLatin1String("0") &&
           value != QLatin1String("off");
}

QString PlayerSettings::recordFolder() const {
    const QString chosen = read(QStringLiteral("RecordFolder"));
    return !chosen.isEmpty()
               ? chosen
               : QDir(QStandardPaths::writableLocation(QStandardPaths::MoviesLocation))
                     .filePath(QStringLiteral("VELO"));
}

QString PlayerSettings::stillFolder() const {
    const QString chosen = read(QStringLiteral("StillFolder"));
    return !chosen.isEmpty()
               ? chosen
               : QDir(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation))
                     .filePath(QStringLiteral("VELO"));
}

namespace {

// A positive whole number from TEXT, or FALLBACK.
qint64 positiveOr(const QString& text, qint64 fallback) {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok && value > 0 ? value : fallback;
}

}  // namespace

int PlayerSettings::timeshiftSeconds() const {
    return static_cast<int>(
        std::min<qint64>(positiveOr(read(QStringLiteral("TimeshiftSeconds")), 30 * 60), 86400));
}

qint64 PlayerSettings::timeshiftBytes() const {
    const qint64 megabytes =
        std::min<qint64>(positiveOr(read(QStringLiteral("TimeshiftMegabytes")), 1024), 65536);
    return megabytes * 1024 * 1024;
}

QString PlayerSettings::timeshiftFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation))
        .filePath(QStringLiteral("timeshift"));
}

qint64 PlayerSettings::recordMinFreeBytes() const {
    return positiveOr(read(QStringLiteral("RecordMinFreeMegabytes")), 64) * 1024 * 1024;
}

bool PlayerSettings::setVolume(int volume) const {
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    return IniFile::writeString(m_path, kSection, QStringLiteral("Volume"),
                                QString::number(std::clamp(volume, 0, 100)));
}

bool PlayerSettings::setMuted(bool muted) const {
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    return IniFile::writeString(m_path, kSection, QStringLiteral("Mute"),
                                muted ? QStringLiteral("1") : QStringLiteral("0"));
}
