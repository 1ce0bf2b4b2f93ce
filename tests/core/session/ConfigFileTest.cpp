#include "session/ConfigFile.h"

#include "common/Cipher.h"
#include "platform/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ConfigFileTest : public ::testing::Test {
protected:
    void storeRaw(const QString& key, const QString& value) const {
        ASSERT_TRUE(IniFile::writeString(m_config.filePath(), QStringLiteral("VELO"), key, value));
    }
    QByteArray fileText() const {
        QFile file(m_config.filePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    ConfigFile m_config{m_dir.path()};
};

}  // namespace

TEST_F(ConfigFileTest, EveryKeyReadsBackDecrypted) {
    ASSERT_EQ(m_config.write(QStringLiteral("ServerUrl"), QStringLiteral("http://127.0.0.2:8080")),
              ConfigFile::WriteResult::Written);
    ASSERT_EQ(m_config.write(QStringLiteral("UerSetMeal"), QStringLiteral("http://auth.example/")),
              ConfigFile::WriteResult::Written);
    ASSERT_EQ(m_config.write(QStringLiteral("TvProgram"), QStringLiteral("tvlist.action?x=1")),
              ConfigFile::WriteResult::Written);
    for (const auto reader :
         {ConfigFile::kServerUrlForLogin, ConfigFile::kServerUrlForTicket,
          ConfigFile::kServerUrlForChannelList, ConfigFile::kServerUrlForRegistration,
          ConfigFile::kServerUrlForCaptcha, ConfigFile::kServerUrlForRecovery}) {
        EXPECT_EQ(m_config.serverUrl(reader), QStringLiteral("http://127.0.0.2:8080"));
    }
    EXPECT_EQ(m_config.uerSetMeal(), QStringLiteral("http://auth.example/"));
    EXPECT_EQ(m_config.tvProgram(), QStringLiteral("tvlist.action?x=1"));
    // Stored as hex cipher text, not as the plain value.
    EXPECT_FALSE(fileText().contains("127.0.0.2"));
    EXPECT_TRUE(fileText().contains(EncryptText(QStringLiteral("tvlist.action?x=1"))->toLatin1()));
}

TEST_F(ConfigFileTest, MissingFileOrKeyReadsEmpty) {
    EXPECT_EQ(m_config.serverUrl(ConfigFile::kServerUrlForLogin), QString());
    storeRaw(QStringLiteral("TvProgram"), QString());
    EXPECT_EQ(m_config.tvProgram(), QString());
    EXPECT_EQ(m_config.userInfo(), QString());
}

TEST_F(ConfigFileTest, EachReaderCutsTheStoredTextToItsOwnBuffer) {
    // A hand-edited value too long for the smaller readers: they decrypt only what fits.
    QString stored = EncryptText(QString(kMaxPlainBytes, QLatin1Char('u'))).value();
    stored += QStringLiteral("0123456789abcdef").repeated(4);
    storeRaw(QStringLiteral("ServerUrl"), stored);
    EXPECT_EQ(m_config.serverUrl(ConfigFile::kServerUrlForTicket), DecryptText(stored.left(127)));
    EXPECT_EQ(m_config.serverUrl(ConfigFile::kServerUrlForLogin), DecryptText(stored));
    EXPECT_NE(DecryptText(stored.left(127)), DecryptText(stored.left(128)))
        << "the cut must matter for this value, or the check above proves nothing";
}

TEST_F(ConfigFileTest, RememberedLoginIsReplacedWholeAndForgottenAsEmpty) {
    const QString record = QStringLiteral("id@example.jp<EOF>pw<EOF>20261208<EOF>");
    ASSERT_EQ(m_config.writeUserInfo(record), ConfigFile::WriteResult::Written);
    EXPECT_EQ(m_config.userInfo(), record);

    ASSERT_EQ(m_config.writeUserInfo(QString()), ConfigFile::WriteResult::Written);
    EXPECT_EQ(m_config.userInfo(), QString());
    EXPECT_TRUE(fileText().contains("UserInfo=\n")) << "the key stays, empty";

    // A record too long for a stored value is refused and the file is left as it was.
    ASSERT_EQ(m_config.writeUserInfo(record), ConfigFile::WriteResult::Written);
    const QByteArray before = fileText();
    const QString tooLong = QString(30, QLatin1Char('i')) + QStringLiteral("@example.jp<EOF>") +
                            QString(10, QLatin1Char('p')) + QStringLiteral("<EOF>20261208<EOF>");
    EXPECT_EQ(m_config.writeUserInfo(tooLong), ConfigFile::WriteResult::TooLong);
    EXPECT_EQ(fileText(), before);
}

TEST_F(ConfigFileTest, DeploymentValuesFallBackToBuiltInOnes) {
    EXPECT_EQ(m_config.probeHost(1), ConfigFile::defaultProbeHost(1));
    EXPECT_EQ(m_config.probeHost(2), ConfigFile::defaultProbeHost(2));
    EXPECT_NE(m_config.probeHost(1), m_config.probeHost(2));
    EXPECT_EQ(m_config.fallbackUrl(2), QStringLiteral("http://") + ConfigFile::defaultProbeHost(2) +
                                           QStringLiteral(":7006"));
    EXPECT_FALSE(m_config.adServer().isEmpty());

    ASSERT_EQ(m_config.write(QStringLiteral("ProbeHost2"), QStringLiteral("127.0.0.3")),
              ConfigFile::WriteResult::Written);
    ASSERT_EQ(
        m_config.write(QStringLiteral("FallbackUrl2"), QStringLiteral("http://127.0.0.3:7006")),
        ConfigFile::WriteResult::Written);
    ASSERT_EQ(m_config.write(QStringLiteral("AdServer"), QStringLiteral("127.0.0.2")),
              ConfigFile::WriteResult::Written);
    EXPECT_EQ(m_config.probeHost(2), QStringLiteral("127.0.0.3"));
    EXPECT_EQ(m_config.fallbackUrl(2), QStringLiteral("http://127.0.0.3:7006"));
    EXPECT_EQ(m_config.adServer(), QStringLiteral("127.0.0.2"));
    EXPECT_EQ(m_config.probeHost(1), ConfigFile::defaultProbeHost(1));
}

TEST_F(ConfigFileTest, BesideAnInstalledFileTheUsersOwnHoldsWhatItWritesAndWhatItForgot) {
    storeRaw(QStringLiteral("ServerUrl"), *EncryptText(QStringLiteral("http://installed")));
    storeRaw(QStringLiteral("UserInfo"), *EncryptText(QStringLiteral("old<EOF>pw<EOF>")));
    const QByteArray installedBefore = fileText();
    QTemporaryDir own;
    const ConfigFile config(own.path(), m_dir.path());

    EXPECT_EQ(config.serverUrl(ConfigFile::kServerUrlForLogin), QStringLiteral("http://installed"));
    EXPECT_EQ(config.userInfo(), QStringLiteral("old<EOF>pw<EOF>"));
    ASSERT_EQ(config.writeUserInfo(QString()), ConfigFile::WriteResult::Written);
    EXPECT_EQ(config.userInfo(), QString()) << "a forgotten login stays forgotten";
    EXPECT_EQ(config.serverUrl(ConfigFile::kServerUrlForLogin), QStringLiteral("http://installed"));
    EXPECT_EQ(fileText(), installedBefore) << "the installed file is never written";
    EXPECT_EQ(config.filePath(), QDir(own.path()).filePath(QStringLiteral("confignew.ini")));
}
