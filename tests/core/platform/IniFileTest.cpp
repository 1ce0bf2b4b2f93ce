#include "platform/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("confignew.ini")); }

    void writeRaw(const QByteArray& content) const {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray readRaw() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QString get(const QString& section, const QString& key, int buffer = 256,
                const QString& fallback = QStringLiteral("<default>")) const {
        return IniFile::readString(path(), section, key, fallback, buffer);
    }

    QTemporaryDir m_dir;
};

}  // namespace

TEST_F(IniFileTest, ReadsValuesAsHandWrittenFilesHoldThem) {
    writeRaw(
        "\xEF\xBB\xBF; deployment values\r\n"
        "[Other]\r\n"
        "ServerUrl=wrong section\r\n"
        "  [ velo ]  \r\n"
        "  serverurl   =   abc123   \r\n"
        "ServerUrl=second wins nothing\r\n"
        ";TvProgram=commented out\r\n"
        "Quoted=\"  spaced value  \"\r\n"
        "Single='x'\r\n"
        "Unbalanced=\"x\r\n"
        "Empty=\r\n"
        "no equals sign here\r\n"
        "[VELO]\r\n"
        "Late=in a second section of the same name\r\n");
    EXPECT_EQ(get(QStringLiteral("VELO"), QStringLiteral("ServerUrl")), QStringLiteral("abc123"));
    EXPECT_EQ(get(QStringLiteral("VELO"), QStringLiteral("TvProgram")),
              QStringLiteral("<default>"));
    EXPECT_EQ(get(QStringLiteral("VELO"), QStringLiteral("Quoted")),
              QStringLiteral("  spaced value  "));
    EXPECT_EQ(get(QStringLiteral("VELO"), QStringLiteral("Single")), QStringLiteral("x"));
    EXPECT_EQ(get(QStringLiteral("VELO"), QStringLiteral("Unbalanced")), QStringLiteral("\"x"));
    EXPECT_EQ(get(QStringLiteral("VELO"), QStringLiteral("Empty")), QString());
    EXPECT_EQ(get(QStringLiteral("VELO"), QStringLiteral("Late")), QStringLiteral("<default>"));
    EXPECT_EQ(get(QStringLiteral("Other"), QStringLiteral("SERVERURL")),
              QStringLiteral("wrong section"));
    EXPECT_EQ(get(QStringLiteral("Missing"), QStringLiteral("ServerUrl")),
              QStringLiteral("<default>"));
}

TEST_F(IniFileTest, CutsTheResultToTheBufferLessOne) {
    writeRaw("[VELO]\nKey=0123456789\n");
    EXPECT_EQ(get(QStringLiteral("VELO"), QStringLiteral("Key"), 5), QStringLiteral("0123"));
    EXPECT_EQ(get(QStringLiteral("VELO"), QStringLiteral("Key"), 11), QStringLiteral("0123456789"));
    EXPECT_EQ(get(QStringLiteral("VELO"), QStringLiteral("Key"), 1), QString());
    EXPECT_EQ(get(QStringLiteral("VELO"), QStringLiteral("Key"), 0), QString());
    // The default is cut the same way.
    EXPECT_EQ(get(QStringLiteral("VELO"), QStringLiteral("None"), 4), QStringLiteral("<de"));
}

TEST_F(IniFileTest, MissingFileGivesTheDefault) {
    EXPECT_EQ(get(QStringLiteral("VELO"), QStringLiteral("Key")), QStringLiteral("<default>"));
}

TEST_F(IniFileTest, WriteReplacesTheFirstMatchInPlaceAndKeepsEverythingElse) {
    const QByteArray before =
        "; kept comment\r\n"
        "[velo]\r\n"
        "ServerUrl = old\r\n"
        "TvProgram=tv\r\n"
        "SERVERURL=duplicate stays\r\n"
        "\r\n"
        "[Other]\r\n"
        "ServerUrl=other\r\n";
    writeRaw(before);
    ASSERT_TRUE(IniFile::writeString(path(), QStringLiteral("VELO"), QStringLiteral("ServerUrl"),
                                     QStringLiteral("new")));
    QByteArray expected = before;
    expected.replace("ServerUrl = old", "ServerUrl=new");
    EXPECT_EQ(readRaw(), expected);
}

TEST_F(IniFileTest, WriteAppendsAMissingKeyToItsSectionAndAMissingSectionToTheEnd) {
    writeRaw(
        "[VELO]\n"
        "ServerUrl=a\n"
        "; note about the section\n"
        "\n"
        "[Other]\n"
        "X=1");
    ASSERT_TRUE(IniFile::writeString(path(), QStringLiteral("velo"), QStringLiteral("UserInfo"),
                                     QStringLiteral("")));
    ASSERT_TRUE(IniFile::writeString(path(), QStringLiteral("New"), QStringLiteral("K"),
                                     QStringLiteral("v")));
    EXPECT_EQ(readRaw(), QByteArray("[VELO]\n"
                                    "ServerUrl=a\n"
                                    "; note about the section\n"
                                    "UserInfo=\n"
                                    "\n"
                                    "[Other]\n"
                                    "X=1\n"
                                    "[New]\n"
                                    "K=v\n"));
    EXPECT_EQ(get(QStringLiteral("VELO"), QStringLiteral("UserInfo")), QString());
    EXPECT_EQ(get(QStringLiteral("New"), QStringLiteral("k")), QStringLiteral("v"));
}

TEST_F(IniFileTest, WriteCreatesAMissingFile) {
    ASSERT_TRUE(IniFile::writeString(path(), QStringLiteral("VELO"), QStringLiteral("UserInfo"),
                                     QStringLiteral("abcd")));
    EXPECT_EQ(readRaw(), QByteArray("[VELO]\nUserInfo=abcd\n"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"confignew.ini"})
        << "no temporary file may be left behind";
}

TEST_F(IniFileTest, WriteRefusesWhatWouldCorruptTheFile) {
    const QByteArray before = "[VELO]\nServerUrl=a\n";
    writeRaw(before);
    const QString section = QStringLiteral("VELO");
    EXPECT_FALSE(IniFile::writeString(path(), section, QStringLiteral("Key"),
                                      QStringLiteral("a\n[Injected]\nX=1")));
    EXPECT_FALSE(IniFile::writeString(path(), section, QStringLiteral("Key"),
                                      QStringLiteral("carriage\rreturn")));
    EXPECT_FALSE(IniFile::writeString(path(), section, QStringLiteral("A=B"), QStringLiteral("v")));
    EXPECT_FALSE(IniFile::writeString(path(), section, QString(), QStringLiteral("v")));
    EXPECT_FALSE(IniFile::writeString(path(), QStringLiteral("A]B"), QStringLiteral("K"),
                                      QStringLiteral("v")));
    EXPECT_EQ(readRaw(), before);

    // A file that exists but cannot be read is never replaced by one holding only the new key.
    const QString folderInTheWay = m_dir.filePath(QStringLiteral("blocked.ini"));
    ASSERT_TRUE(QDir().mkdir(folderInTheWay));
    EXPECT_FALSE(
        IniFile::writeString(folderInTheWay, section, QStringLiteral("K"), QStringLiteral("v")));
    EXPECT_FALSE(IniFile::writeString(m_dir.filePath(QStringLiteral("no/such/folder.ini")), section,
                                      QStringLiteral("K"), QStringLiteral("v")));
}

TEST_F(IniFileTest, NonAsciiValuesRoundTrip) {
    ASSERT_TRUE(IniFile::writeString(path(), QStringLiteral("VELO"), QStringLiteral("Name"),
                                     QStringLiteral("最新更新")));
    EXPECT_EQ(get(QStringLiteral("velo"), QStringLiteral("name")), QStringLiteral("最新更新"));
}

TEST(IniFileLimits, AFileOverAMebibyteReadsAsMissingAndIsNeverReplaced) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("confignew.ini"));
    QByteArray content = "[VELO]\nServerUrl=kept\n";
    content += QByteArray(IniFile::kMaxFileBytes + 1 - content.size(), ';');
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    EXPECT_EQ(IniFile::readString(path, u"VELO", u"ServerUrl", QStringLiteral("default"), 256),
              QStringLiteral("default"));
    EXPECT_FALSE(IniFile::writeString(path, u"VELO", u"ServerUrl", u"new"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), content) << "the file is left as it was";
    file.close();

    // At the limit itself it is still ours.
    content.chop(1);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();
    EXPECT_EQ(IniFile::readString(path, u"VELO", u"ServerUrl", QString(), 256),
              QStringLiteral("kept"));
    EXPECT_TRUE(IniFile::writeString(path, u"VELO", u"ServerUrl", u"new"));
}
