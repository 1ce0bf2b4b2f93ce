#include "support/RefService.h"

#include "service/AccountExchange.h"
#include "session/ConfigFile.h"
#include "session/SavedLogin.h"
#include "support/ZipWriter.h"

#include <QDir>

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct CliResult {
    int exitCode = -1;
    QString out;
    QString err;
};

class VeloCliService : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_service.running()); }
    CliResult velo(QStringList args) const {
        args.prepend(m_service.programFolder());
        args.prepend(QStringLiteral("--dir"));
        QProcess process;
        process.start(QStringLiteral(VELO_CLI_PATH), args);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    RefService m_service;
};

}  // namespace

TEST_F(VeloCliService, SignsInAndOut) {
    const CliResult in = velo({"login", "demo@velo.example", "demo1234"});
    EXPECT_EQ(in.exitCode, 0) << in.err.toStdString();
    EXPECT_TRUE(in.out.contains(QStringLiteral("signed in: デモユーザー")));
    EXPECT_TRUE(in.out.contains(QStringLiteral("use time: 36000 s")));

    const CliResult wrong = velo({"login", "demo@velo.example", "nope"});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_TRUE(wrong.err.contains(QStringLiteral("VELO IDまたはパスワードが正しくありません")));

    EXPECT_EQ(velo({"logout", "demo@velo.example", "demo1234"}).exitCode, 0);
    EXPECT_EQ(velo({"login", "only-an-id"}).exitCode, 2);
}

TEST_F(VeloCliService, LoginRemembersWhatTheClientSignsInWithAtStart) {
    const ConfigFile config(m_service.programFolder());
    // A refused login remembers nothing.
    EXPECT_EQ(velo({"login", "demo@velo.example", "nope", "--remember"}).exitCode, 1);
    EXPECT_TRUE(config.userInfo().isEmpty());

    const CliResult in = velo({"login", "--remember", "demo@velo.example", "demo1234"});
    ASSERT_EQ(in.exitCode, 0) << in.err.toStdString();
    QString id;
    QString password;
    ASSERT_EQ(SavedLogin::LoadSavedLogin(config, id, password, QDateTime::currentDateTime()), 1)
        << config.userInfo().toStdString();
    EXPECT_EQ(id, QStringLiteral("demo@velo.example"));
    EXPECT_EQ(password, QStringLiteral("demo1234"));
}

TEST(VeloCliAds, FetchesAndUnpacksTheArchivesAndSaysWhatCame) {
    RefService service(true);
    ASSERT_TRUE(service.running());
    QDir().mkpath(QDir(service.dataFolder()).filePath(QStringLiteral("ads")));
    QFile::remove(QDir(service.dataFolder()).filePath(QStringLiteral("ads/VELO_REAR_AD_JP_F.zip")));
    {
        ZipWriter writer(
            QDir(service.dataFolder()).filePath(QStringLiteral("ads/VELO_BOTTOM_AD_JP_F.zip")));
        ASSERT_TRUE(writer.add("index.html", "<html>banner</html>"));
        ASSERT_TRUE(writer.add("../escape.txt", "x"));
        ASSERT_TRUE(writer.close());
    }
    QProcess process;
    process.start(QStringLiteral(VELO_CLI_PATH),
                  {"--dir", service.programFolder(), "ads", "--uuid", "u-1"});
    ASSERT_TRUE(process.waitForFinished(60000));
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_EQ(process.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("adkey=VELO_BOTTOM_AD_JP_F&uuid=u-1")));
    EXPECT_TRUE(out.contains(QStringLiteral("status: 200")));
    EXPECT_TRUE(out.contains(QStringLiteral("status: 404"))) << "the pop-up archive is missing";
    EXPECT_TRUE(out.contains(QStringLiteral("  index.html\tok")));
    EXPECT_TRUE(out.contains(QStringLiteral("  escape.txt\tok")));
    EXPECT_TRUE(
        QFile::exists(service.programFolder() + QStringLiteral("/Advertise/Fix/escape.txt")));
    EXPECT_FALSE(QFile::exists(service.programFolder() + QStringLiteral("/Advertise/escape.txt")));
}

TEST_F(VeloCliService, TicketAndChannelList) {
    const CliResult ticket = velo({"ticket"});
    EXPECT_EQ(ticket.exitCode, 0) << ticket.err.toStdString();
    EXPECT_TRUE(ticket.out.contains(QStringLiteral("server address: ") + m_service.host() +
                                    QLatin1Char('\n')));

    const CliResult channels = velo({"channels"});
    ASSERT_EQ(channels.exitCode, 0) << channels.err.toStdString();
    EXPECT_TRUE(channels.out.contains(QStringLiteral("人気チャンネル")));
    EXPECT_TRUE(channels.out.contains(QStringLiteral("最新更新")));
    EXPECT_TRUE(channels.out.contains(QStringLiteral("频道建设中，敬请关注...")));
    EXPECT_TRUE(channels.out.contains(m_service.serverUrl() + QStringLiteral("/live/101.ts")));
    EXPECT_TRUE(QFile::exists(m_service.programFolder() + QStringLiteral("/tvchannel.xml")));

    m_service.script(QStringLiteral("/tvprogram.action"), QStringLiteral("reply"), {}, 500);
    EXPECT_EQ(velo({"channels"}).exitCode, 1);
}

TEST_F(VeloCliService, PulseBalanceAndUpdateCheck) {
    EXPECT_EQ(velo({"pulse"}).exitCode, 0);

    const CliResult balance = velo({"balance", "taro@velo.example", "taro5678"});
    EXPECT_EQ(balance.exitCode, 0) << balance.err.toStdString();
    EXPECT_TRUE(balance.out.contains(QStringLiteral("use time: 7200 s")));
    EXPECT_EQ(velo({"balance", "taro@velo.example", "wrong"}).exitCode, 1);

    const CliResult none = velo({"update-check", "2"});
    EXPECT_EQ(none.exitCode, 0) << none.err.toStdString();
    EXPECT_TRUE(none.out.contains(QStringLiteral("no new version")));
    m_service.setUpdate(QStringLiteral("mandatory"), QStringLiteral("2.0"),
                        QStringLiteral("必須#"));
    const CliResult mandatory = velo({"update-check", "2"});
    EXPECT_TRUE(mandatory.out.contains(QStringLiteral("mandatory update")));
    EXPECT_TRUE(mandatory.out.contains(QStringLiteral("text2: 必須#")));

    EXPECT_EQ(velo({"probe", m_service.host()}).exitCode, 0);
    EXPECT_EQ(velo({"probe", "no-such-host.invalid"}).exitCode, 1);
}

TEST_F(VeloCliService, RegistersThroughTheCaptchaAndRecoversThePassword) {
    const QString picture = QDir(m_service.programFolder()).filePath(QStringLiteral("code.bmp"));
    const CliResult fetched = velo({"captcha", picture});
    ASSERT_EQ(fetched.exitCode, 0) << fetched.err.toStdString();
    QFile file(picture);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(fetched.out.trimmed(), QString::number(file.size()));
    EXPECT_TRUE(file.readAll().startsWith("BM"));

    const CliResult registered =
        velo({"register", "cli@velo.example", "secret1", "secret1", m_service.captchaCode()});
    EXPECT_EQ(registered.exitCode, 0) << registered.err.toStdString();
    EXPECT_EQ(registered.out, QStringLiteral("登録が完了しました \n"));
    EXPECT_EQ(velo({"login", "cli@velo.example", "secret1"}).exitCode, 0);

    // The default picture is the one the client shows.
    ASSERT_EQ(velo({"captcha"}).exitCode, 0);
    EXPECT_TRUE(QFile::exists(QDir(m_service.programFolder()).filePath("skin/auth.bmp")));
    const CliResult taken =
        velo({"register", "cli@velo.example", "secret1", "secret1", m_service.captchaCode()});
    EXPECT_EQ(taken.exitCode, 1);
    EXPECT_EQ(taken.out, QStringLiteral("このIDは既に使用されています \n"));

    ASSERT_EQ(velo({"captcha"}).exitCode, 0);
    const CliResult sent = velo({"findpwd", "cli@velo.example", m_service.captchaCode()});
    EXPECT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    EXPECT_EQ(sent.out, AccountExchange::kPasswordSent + QLatin1Char('\n'));
    const CliResult usedUp = velo({"findpwd", "nobody@velo.example", "0000"});
    EXPECT_EQ(usedUp.exitCode, 1);
    EXPECT_EQ(usedUp.out, AccountExchange::kWrongCode + QLatin1Char('\n'));
}

TEST_F(VeloCliService, RefusedFormsAreNotSentAndBadUsageIsTwo) {
    const CliResult shortPassword = velo({"register", "a@b.jp", "abcde", "abcde", "1234"});
    EXPECT_EQ(shortPassword.exitCode, 1);
    EXPECT_EQ(shortPassword.out, AccountExchange::kEnterValidPassword + QLatin1Char('\n'));
    const CliResult noDot = velo({"findpwd", "a@b", "1234"});
    EXPECT_EQ(noDot.exitCode, 1);
    EXPECT_EQ(noDot.out, QStringLiteral("正しいメールを入力してください \n"));
    EXPECT_EQ(m_service.requests(QStringLiteral("/user!register.action")), 0);
    EXPECT_EQ(m_service.requests(QStringLiteral("/user!findpwd.action")), 0);

    EXPECT_EQ(velo({"register", "a@b.jp", "secret1", "secret1"}).exitCode, 2);
    EXPECT_EQ(velo({"findpwd", "a@b.jp"}).exitCode, 2);
    EXPECT_EQ(velo({"captcha", "one", "two"}).exitCode, 2);

    m_service.script(QStringLiteral("/authcode.jsp"), QStringLiteral("drop"));
    const CliResult failed = velo({"captcha"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.out.isEmpty());
}
