#include "common/Cipher.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <QThread>

#include <algorithm>
#include <cstdio>

namespace {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

CliRun velo(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(VELO_CLI_PATH), args);
    EXPECT_TRUE(process.waitForFinished(30000));
    CliRun run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString line(const CliRun& run) {
    return run.out.trimmed();
}

}  // namespace

TEST(VeloCli, EncryptAndDecryptWithTheProgramKey) {
    const CliRun encrypted = velo({"encrypt", "http://127.0.0.2:8080"});
    ASSERT_EQ(encrypted.exitCode, 0) << encrypted.err.toStdString();
    EXPECT_EQ(line(encrypted), EncryptText(QStringLiteral("http://127.0.0.2:8080")).value());
    const CliRun decrypted = velo({"decrypt", line(encrypted)});
    EXPECT_EQ(decrypted.exitCode, 0);
    EXPECT_EQ(line(decrypted), QStringLiteral("http://127.0.0.2:8080"));

    const CliRun japanese = velo({"decrypt", velo({"encrypt", "人気チャンネル"}).out.trimmed()});
    EXPECT_EQ(line(japanese), QStringLiteral("人気チャンネル"));
}

TEST(VeloCli, ConfigValuesRoundTripThroughTheFile) {
    QTemporaryDir dir;
    const CliRun set =
        velo({"config", "set", "ServerUrl", "http://127.0.0.2:8080", "--dir", dir.path()});
    ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
    const CliRun setTv = velo({"--dir", dir.path(), "config", "set", "tvprogram", "/tv.xml?a=1"});
    ASSERT_EQ(setTv.exitCode, 0) << setTv.err.toStdString();

    EXPECT_EQ(line(velo({"config", "get", "serverurl", "--dir", dir.path()})),
              QStringLiteral("http://127.0.0.2:8080"));
    EXPECT_EQ(line(velo({"config", "get", "TvProgram", "--dir", dir.path()})),
              QStringLiteral("/tv.xml?a=1"));

    QFile file(dir.filePath(QStringLiteral("confignew.ini")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.startsWith("[VELO]\n"));
    EXPECT_TRUE(text.contains(
        "TvProgram=" + EncryptText(QStringLiteral("/tv.xml?a=1"))->toLatin1() + "\n"));

    // A deployment key that is not set shows the built-in value and says so.
    const CliRun probe = velo({"config", "get", "ProbeHost1", "--dir", dir.path()});
    EXPECT_EQ(probe.exitCode, 0);
    EXPECT_FALSE(line(probe).isEmpty());
    EXPECT_TRUE(probe.err.contains(QLatin1String("built-in")));
}

TEST(VeloCli, OwnKeyGivesSingleModeUpToEightBytes) {
    const std::uint8_t key[2] = {0x01, 0x02};
    std::uint8_t block[8] = {0xde, 0xad, 0xbe, 0xef, 0, 0, 0, 0};
    ASSERT_TRUE(RunCipher(block, block, 8, key, 2, CipherDirection::Encrypt));
    const QString expected =
        QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(block), 8).toHex());

    const CliRun run = velo({"--key", "0102", "cipher", "encrypt", "deadbeef"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(line(run), expected);
    EXPECT_EQ(line(velo({"--key", "0102", "cipher", "decrypt", expected})),
              QStringLiteral("deadbeef00000000"));

    // Nine key bytes switch to triple mode, so the result changes.
    EXPECT_NE(line(velo({"--key", "010200000000000000", "cipher", "encrypt", "deadbeef"})),
              expected);

    const CliRun text = velo({"--key", "00112233445566778899aabbccddeeff", "encrypt", "hello"});
    ASSERT_EQ(text.exitCode, 0);
    EXPECT_EQ(line(text),
              EncryptTextWithKey(QStringLiteral("hello"),
                                 QByteArray::fromHex("00112233445566778899aabbccddeeff"))
                  .value());
    EXPECT_NE(line(text), EncryptText(QStringLiteral("hello")).value());
}

TEST(VeloCli, BadInputIsOneLineOnStderrExitTwoAndWritesNothing) {
    QTemporaryDir dir;
    const QString d = dir.path();
    const QList<QStringList> cases = {
        {},
        {"encrypt"},
        {"encrypt", QString(57, QLatin1Char('x'))},
        {"decrypt", "abc"},
        {"decrypt", "zz"},
        {"decrypt", QString(130, QLatin1Char('a'))},
        {"cipher", "encrypt", "0g"},
        {"cipher", "encrypt", ""},
        {"cipher", "sideways", "00"},
        {"cipher", "encrypt"},
        {"--key", "", "encrypt", "x"},
        {"--key", "00112233445566778899aabbccddeeff00", "encrypt", "x"},
        {"--key", "123", "encrypt", "x"},
        {"--key"},
        {"config", "get", "NoSuchKey", "--dir", d},
        {"config", "set", "NoSuchKey", "v", "--dir", d},
        {"config", "set", "ServerUrl", "--dir", d},
        {"config", "set", "ServerUrl", QString(57, QLatin1Char('x')), "--dir", d},
        {"config", "get", "ServerUrl", "--dir"},
        {"config", "remove", "ServerUrl", "--dir", d},
        {"play", "now"},
        {"--verbose", "encrypt", "x"},
        {"unzip", "archive.zip"},
    };
    for (const QStringList& args : cases) {
        const CliRun run = velo(args);
        const QString shown = args.join(QLatin1Char(' '));
        EXPECT_EQ(run.exitCode, 2) << shown.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << shown.toStdString();
        EXPECT_FALSE(run.err.trimmed().isEmpty()) << shown.toStdString();
        if (!args.isEmpty()) {
            EXPECT_EQ(run.err.trimmed().count(QLatin1Char('\n')), 0) << shown.toStdString();
        }
    }
    EXPECT_TRUE(QDir(d).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST(VeloCli, AnArchiveThatCannotBeOpenedIsOneAndUnpacksNothing) {
    QTemporaryDir dir;
    QFile notZip(dir.filePath(QStringLiteral("text.zip")));
    ASSERT_TRUE(notZip.open(QIODevice::WriteOnly));
    notZip.write("not an archive");
    notZip.close();
    for (const QString& archive :
         {dir.filePath(QStringLiteral("missing.zip")), notZip.fileName()}) {
        const CliRun run = velo({"unzip", archive, dir.filePath(QStringLiteral("out"))});
        EXPECT_EQ(run.exitCode, 1) << archive.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("cannot open"))) << run.err.toStdString();
        EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("out"))).exists());
    }
}

// The configuration file is replaced whole: a writer killed at any moment leaves either the old
// file or the new one. The file is made large so that a kill often lands mid-write.
TEST(VeloCli, InterruptedWriteLeavesTheOldOrTheNewFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("confignew.ini"));
    QByteArray old =
        "[VELO]\nServerUrl=" + EncryptText(QStringLiteral("http://old.example"))->toLatin1() + "\n";
    // As large as a configuration file may be, so that a write takes a while.
    for (int i = 0; old.size() < 1000 * 1000; ++i) {
        old += "; padding line " + QByteArray::number(i) + " keeps the file large\n";
    }
    const auto reset = [&] {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(old);
    };
    reset();

    // One full run tells how long a write takes; the kills are spread over that time.
    QElapsedTimer timer;
    timer.start();
    const QStringList args = {"config", "set",     "ServerUrl", "http://new.example",
                              "--dir",  dir.path()};
    ASSERT_EQ(velo(args).exitCode, 0);
    const qint64 fullRun = std::max<qint64>(timer.elapsed(), 10);
    QFile done(path);
    ASSERT_TRUE(done.open(QIODevice::ReadOnly));
    const QByteArray fresh = done.readAll();
    done.close();
    ASSERT_NE(fresh, old);

    QRandomGenerator random(42);
    int sawOld = 0;
    int sawNew = 0;
    for (int trial = 0; trial < 24; ++trial) {
        reset();
        QProcess process;
        process.start(QStringLiteral(VELO_CLI_PATH), args);
        ASSERT_TRUE(process.waitForStarted());
        QThread::msleep(static_cast<unsigned long>(random.bounded(fullRun + 5)));
        process.kill();
        process.waitForFinished();

        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "trial " << trial;
        const QByteArray now = file.readAll();
        ASSERT_TRUE(now == old || now == fresh) << "trial " << trial << ": " << now.size()
                                                << " bytes, neither the old nor the new file";
        (now == old ? sawOld : sawNew)++;
    }
    // Informative only: both outcomes are correct.
    std::printf("old file kept %d times, new file in place %d times\n", sawOld, sawNew);
}

TEST(VeloCli, SearchListsWhatTheClientsSearchFinds) {
    QTemporaryDir dir;
    QFile list(dir.filePath(QStringLiteral("tvchannel.xml")));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><list><groups name=\"地上波\">"
        "<group name=\"人気チャンネル\">"
        "<channel id=\"7\"><name>アニメ・ステーション</name><vip>0</vip></channel>"
        "<channel id=\"8\"><name>ニュース24</name><vip>0</vip></channel>"
        "<channel id=\"9\"><name>ｱﾆﾒｸﾗｼｯｸ</name><vip>1</vip></channel>"
        "</group></groups></list>");
    list.close();

    const CliRun anime = velo({"--dir", dir.path(), "search", "anim"});
    EXPECT_EQ(anime.exitCode, 0) << anime.err.toStdString();
    EXPECT_EQ(anime.out, QStringLiteral("7\tアニメ・ステーション\n9\tｱﾆﾒｸﾗｼｯｸ\n"));
    const CliRun byId = velo({"search", "8", "--list", list.fileName()});
    EXPECT_EQ(byId.out, QStringLiteral("8\tニュース24\n"));

    const CliRun none = velo({"--dir", dir.path(), "search", "dorama"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.out.isEmpty());
    EXPECT_TRUE(none.err.contains(QStringLiteral("dorama")));

    EXPECT_EQ(velo({"search"}).exitCode, 2);
    EXPECT_EQ(velo({"search", "a", "--list"}).exitCode, 2);
    EXPECT_EQ(velo({"search", "a", "--list", dir.filePath(QStringLiteral("missing.xml"))}).exitCode,
              2);
}

// Every command counts its arguments before it touches a file or the network, and says what is
// wrong in its own words; the help names every command, so none is left out of either.
TEST(VeloCli, EveryCommandRefusesAWrongArgumentCountAndTheHelpNamesIt) {
    struct Case {
        QStringList args;
        QString message;
    };
    const QList<Case> cases = {
        {{"encrypt"}, "missing argument: TEXT"},
        {{"encrypt", "a", "b"}, "encrypt takes one TEXT"},
        {{"decrypt"}, "missing argument: HEX"},
        {{"decrypt", "00", "11"}, "decrypt takes one HEX"},
        {{"config"}, "missing argument: get or set"},
        {{"config", "get"}, "missing argument: KEY"},
        {{"config", "get", "ServerUrl", "x"}, "config get takes one KEY"},
        // A wrong key is named before the rest is counted.
        {{"config", "set", "NoSuchKey"}, "unknown key: NoSuchKey"},
        {{"config", "set", "ServerUrl"}, "missing argument: VALUE"},
        {{"config", "set", "ServerUrl", "a", "b"}, "config set takes one KEY and one VALUE"},
        {{"cipher"}, "missing argument: encrypt or decrypt"},
        {{"cipher", "sideways"}, "missing argument: HEXBYTES"},
        {{"cipher", "encrypt", "00", "11"}, "cipher takes a direction and one HEXBYTES"},
        {{"login", "--remember", "id"}, "missing argument: PASSWORD"},
        {{"login", "id", "pw", "x"}, "too many arguments: x"},
        {{"logout", "id"}, "missing argument: PASSWORD"},
        {{"ticket", "x", "y"}, "too many arguments: x y"},
        {{"channels", "x"}, "too many arguments: x"},
        {{"pulse", "x"}, "too many arguments: x"},
        {{"balance"}, "missing argument: ID"},
        {{"update-check", "1", "2"}, "update-check takes at most SECONDS"},
        {{"probe"}, "missing argument: HOST"},
        {{"unzip", "a", "b", "c"}, "too many arguments: c"},
        {{"ads", "x", "--uuid", "u"}, "too many arguments: x"},
        {{"ads", "--uuid"}, "missing argument after --uuid"},
        {{"captcha", "a", "b", "c"}, "too many arguments: b c"},
        {{"register", "e", "p", "c"}, "missing argument: CODE"},
        {{"findpwd", "e", "c", "x"}, "too many arguments: x"},
        {{"search", "--list", "f"}, "missing argument: QUERY"},
    };
    QTemporaryDir dir;
    QStringList tested = {"help"};
    for (const Case& c : cases) {
        const CliRun run = velo(QStringList{"--dir", dir.path()} + c.args);
        const std::string shown = c.args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(run.exitCode, 2) << shown;
        EXPECT_TRUE(run.out.isEmpty()) << shown;
        EXPECT_EQ(run.err, QStringLiteral("velo-cli: %1\n").arg(c.message)) << shown;
        tested << c.args[0];
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());

    // The help takes whatever follows it; without a command the same text goes to stderr.
    const CliRun help = velo({"help", "anything"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(velo({}).err, help.out);
    QStringList listed;
    for (const QString& row : help.out.split(QLatin1Char('\n'))) {
        if (row.startsWith(QLatin1String("  ")) && row.at(2) != QLatin1Char(' ')) {
            listed << row.section(QLatin1Char(' '), 2, 2);
        }
    }
    tested.removeDuplicates();
    listed.removeDuplicates();
    tested.sort();
    listed.sort();
    EXPECT_EQ(listed, tested);
}
