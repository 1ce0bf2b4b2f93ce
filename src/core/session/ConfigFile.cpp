#include "session/ConfigFile.h"

#include "common/Cipher.h"
#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"

#include <utility>

namespace {

const QString kSection = QStringLiteral("VELO");

}  // namespace

ConfigFile::ConfigFile(QString programFolder) : m_programFolder(std::move(programFolder)) {}

ConfigFile::ConfigFile(QString folder, QString installed)
    : m_programFolder(std::move(folder)), m_installed(std::move(installed)) {
    if (m_installed == m_programFolder) {
        m_installed.clear();
    }
}

QString ConfigFile::filePath() const {
    return ProgramFolder::file(m_programFolder, QStringLiteral("confignew.ini"));
}

QString ConfigFile::read(const QString& key, int bufferChars) const {
    if (m_installed.isEmpty()) {
        return DecryptText(IniFile::readString(filePath(), kSection, key, QString(), bufferChars));
    }
    // A key the user's file holds, even empty (a forgotten login), is its own; only one it does
    // not hold comes from the installed file. No cipher text holds this character.
    const QString absent(QChar(u'\u0001'));
    const QString own = IniFile::readString(filePath(), kSection, key, absent, bufferChars);
    if (own != absent) {
        return DecryptText(own);
    }
    const QString installed = ProgramFolder::file(m_installed, QStringLiteral("confignew.ini"));
    return DecryptText(IniFile::readString(installed, kSection, key, QString(), bufferChars));
}

ConfigFile::WriteResult ConfigFile::write(const QString& key, const QString& plain) const {
    const std::optional<QString> cipher = EncryptText(plain);
    if (!cipher) {
        return WriteResult::TooLong;
    }
    return IniFile::writeString(filePath(), kSection, key, *cipher) ? WriteResult::Written
                                                                    : WriteResult::Failed;
}

QString ConfigFile::serverUrl(Buffer reader) const {
    return read(QStringLiteral("ServerUrl"), reader);
}

QString ConfigFile::uerSetMeal() const {
    return read(QStringLiteral("UerSetMeal"), kUerSetMealBuffer);
}

QString ConfigFile::tvProgram() const {
    return read(QStringLiteral("TvProgram"), kTvProgramBuffer);
}

QString ConfigFile::userInfo() const {
    return read(QStringLiteral("UserInfo"), kUserInfoBuffer);
}

ConfigFile::WriteResult ConfigFile::writeUserInfo(const QString& record) const {
    return write(QStringLiteral("UserInfo"), record);
}

QString ConfigFile::readOr(const QString& key, const QString& fallback) const {
    const QString value = read(key, kDeploymentBuffer);
    return value.isEmpty() ? fallback : value;
}

QString ConfigFile::probeHost(int which) const {
    return readOr(QStringLiteral("ProbeHost%1").arg(which), defaultProbeHost(which));
}

QString ConfigFile::fallbackUrl(int which) const {
    return readOr(QStringLiteral("FallbackUrl%1").arg(which), defaultFallbackUrl(which));
}

QString ConfigFile::adServer() const {
    return readOr(QStringLiteral("AdServer"), defaultAdServer());
}

// The service's own hosts, put together from pieces rather than kept as one string.
QString ConfigFile::defaultProbeHost(int which) {
    const QString service = QStringLiteral("velo") + QStringLiteral("tv");
    const QString domain = QStringLiteral(".") + QStringLiteral("example");
    return QStringLiteral("probe%1.").arg(which == 2 ? 2 : 1) + service + domain;
}

QString ConfigFile::defaultFallbackUrl(int which) {
    return QStringLiteral("http://") + defaultProbeHost(which) + QStringLiteral(":7006");
}

QString ConfigFile::defaultAdServer() {
    return QStringLiteral("ad.") + QStringLiteral("velo") + QStringLiteral("tv") +
           QStringLiteral(".") + QStringLiteral("example");
}
