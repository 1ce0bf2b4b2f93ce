#include "ads/AdArchive.h"

#include "support/ZipWriter.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

class AdArchiveTest : public ::testing::Test {
protected:
    QString zip() const { return m_dir.filePath(QStringLiteral("Fix.zip")); }
    QString base() const { return m_dir.filePath(QStringLiteral("Advertise/Fix")); }
    QString inBase(const QString& name) const { return QDir(base()).filePath(name); }
    static QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    static void write(const QString& path, const QByteArray& data) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(data);
    }
    // Unpacks the test's archive and says what became of each entry.
    QMap<QString, AdArchive::Error> unpack() {
        QMap<QString, AdArchive::Error> outcomes;
        EXPECT_TRUE(AdArchive::UnpackArchive(
            zip(), base(),
            [&](const QString& name, AdArchive::Error e) { outcomes.insert(name, e); }));
        return outcomes;
    }
    // Everything under the test's folder, as relative paths.
    QStringList everything() const {
        QStringList all;
        QDirIterator it(m_dir.path(),
                        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            all.append(QDir(m_dir.path()).relativeFilePath(it.next()));
        }
        all.sort();
        return all;
    }

    QTemporaryDir m_dir;
};

}  // namespace

TEST(AdArchiveNames, StoredNamesAreCleanedUntilNothingCanClimbOut) {
    const struct {
        const char* stored;
        const char* clean;
    } cases[] = {
        {"..\\..\\report.txt", "report.txt"},
        {"C:\\docs\\a.txt", "docs/a.txt"},
        {"a/../../b.txt", "b.txt"},
        {"/etc/passwd", "etc/passwd"},
        {"\\\\server\\share\\x", "server/share/x"},
        // What the first rules leave behind still may not climb.
        {"../x", "x"},
        {"..\\x", "x"},
        {"sub/..\\..\\..\\x", "x"},
        {"./a/./b/", "a/b"},
        // A drive prefix that only the dropped "." parts bring to the front.
        {"./c:\\x", "x"},
        {"..\\.:\\y", "y"},
        {"img/logo.png", "img/logo.png"},
        {"ニュース/番組.html", "ニュース/番組.html"},
        {"..", ""},
        {"/", ""},
        {"c:", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AdArchive::CleanName(QString::fromUtf8(c.stored)), QString::fromUtf8(c.clean))
            << c.stored;
        // Unpacking cleans the cleaned name again: it must stay where it was reported.
        EXPECT_EQ(AdArchive::CleanName(QString::fromUtf8(c.clean)), QString::fromUtf8(c.clean))
            << c.clean;
    }
}

TEST_F(AdArchiveTest, EntriesLandInsideTheFolderWhateverTheirNamesSay) {
    ZipWriter writer(zip());
    ASSERT_TRUE(writer.addFolder("img/"));
    ASSERT_TRUE(writer.add("img/logo.png", "png"));
    ASSERT_TRUE(writer.add("index.html", "<html>banner</html>"));
    ASSERT_TRUE(writer.add("../evil.txt", "1"));
    ASSERT_TRUE(writer.add("..\\..\\evil2.txt", "2"));
    ASSERT_TRUE(writer.add("sub/..\\..\\..\\evil3.txt", "3"));
    ASSERT_TRUE(writer.add("/tmp/evil4.txt", "4"));
    ASSERT_TRUE(writer.close());

    const auto outcomes = unpack();
    EXPECT_EQ(outcomes.value(QStringLiteral("index.html")), AdArchive::Error::None);
    EXPECT_EQ(read(inBase(QStringLiteral("img/logo.png"))), QByteArray("png"));
    EXPECT_EQ(read(inBase(QStringLiteral("evil.txt"))), QByteArray("1"));
    EXPECT_EQ(read(inBase(QStringLiteral("evil2.txt"))), QByteArray("2"));
    EXPECT_EQ(read(inBase(QStringLiteral("evil3.txt"))), QByteArray("3"));
    EXPECT_EQ(read(inBase(QStringLiteral("tmp/evil4.txt"))), QByteArray("4"));
    EXPECT_EQ(everything(), (QStringList{"Advertise", "Advertise/Fix", "Advertise/Fix/evil.txt",
                                         "Advertise/Fix/evil2.txt", "Advertise/Fix/evil3.txt",
                                         "Advertise/Fix/img", "Advertise/Fix/img/logo.png",
                                         "Advertise/Fix/index.html", "Advertise/Fix/tmp",
                                         "Advertise/Fix/tmp/evil4.txt", "Fix.zip"}))
        << "nothing outside the folder, and no file left half-made";
}

TEST_F(AdArchiveTest, LinksAreNeitherMadeNorFollowed) {
    QTemporaryDir outside;
    ASSERT_TRUE(QDir().mkpath(base()));
    // A link already in the folder, to somewhere else: a folder link and a file link.
    ASSERT_EQ(::symlink(QFile::encodeName(outside.path()).constData(),
                        QFile::encodeName(inBase(QStringLiteral("out"))).constData()),
              0);
    write(outside.filePath(QStringLiteral("page.html")), "outside");
    ASSERT_EQ(
        ::symlink(QFile::encodeName(outside.filePath(QStringLiteral("page.html"))).constData(),
                  QFile::encodeName(inBase(QStringLiteral("page.html"))).constData()),
        0);
    ZipWriter writer(zip());
    ASSERT_TRUE(writer.addLink("shortcut", "/etc/passwd"));
    ASSERT_TRUE(writer.add("out/x.txt", "through the link"));
    ASSERT_TRUE(writer.add("page.html", "banner page"));
    ASSERT_TRUE(writer.close());

    const auto outcomes = unpack();
    EXPECT_EQ(outcomes.value(QStringLiteral("shortcut")), AdArchive::Error::Link);
    EXPECT_FALSE(QFileInfo::exists(inBase(QStringLiteral("shortcut"))));
    EXPECT_EQ(outcomes.value(QStringLiteral("out/x.txt")), AdArchive::Error::Link);
    EXPECT_FALSE(QFileInfo::exists(outside.filePath(QStringLiteral("x.txt"))));
    // The file link is replaced by the entry; what it pointed at stays as it was.
    EXPECT_EQ(outcomes.value(QStringLiteral("page.html")), AdArchive::Error::None);
    EXPECT_FALSE(QFileInfo(inBase(QStringLiteral("page.html"))).isSymLink());
    EXPECT_EQ(read(inBase(QStringLiteral("page.html"))), QByteArray("banner page"));
    EXPECT_EQ(read(outside.filePath(QStringLiteral("page.html"))), QByteArray("outside"));
}

TEST_F(AdArchiveTest, TooManyEntriesTooMuchDataAndTooLongNamesAreRefused) {
    {
        ZipWriter writer(zip());
        for (int i = 0; i <= AdArchive::kMaxEntries; ++i) {
            ASSERT_TRUE(writer.add(QByteArray::number(i), {}));
        }
        ASSERT_TRUE(writer.close());
    }
    AdArchive::Error error = AdArchive::Error::None;
    EXPECT_EQ(AdArchive::OpenArchive(zip(), &error), nullptr);
    EXPECT_EQ(error, AdArchive::Error::TooMany);
    EXPECT_FALSE(QFileInfo::exists(base()));

    QFile::remove(zip());
    {
        // A few kilobytes that inflate to more than an archive may write.
        ZipWriter writer(zip());
        ASSERT_TRUE(writer.add("small.txt", "fine"));
        ASSERT_TRUE(writer.add("bomb.bin", QByteArray(AdArchive::kMaxUnpackedBytes + 1, '\0')));
        ASSERT_TRUE(writer.add("after.txt", "too late"));
        ASSERT_TRUE(writer.add(QByteArray(AdArchive::kMaxNameBytes + 1, 'n'), "long"));
        ASSERT_TRUE(writer.close());
    }
    EXPECT_LT(QFileInfo(zip()).size(), 200 * 1024);
    const auto outcomes = unpack();
    EXPECT_EQ(outcomes.value(QStringLiteral("small.txt")), AdArchive::Error::None);
    EXPECT_EQ(outcomes.value(QStringLiteral("bomb.bin")), AdArchive::Error::Limit);
    EXPECT_EQ(outcomes.value(QStringLiteral("after.txt")), AdArchive::Error::Limit);
    EXPECT_FALSE(QFileInfo::exists(inBase(QStringLiteral("bomb.bin"))));
    EXPECT_EQ(everything().filter(QStringLiteral(".velo-unpack")), QStringList());
    EXPECT_EQ(outcomes.size(), 4);
    EXPECT_TRUE(outcomes.values().contains(AdArchive::Error::BadName));
}

TEST_F(AdArchiveTest, TimesComeFromTheDosTimeOrTheUnixBlock) {
    ZipWriter::Options dos;
    dos.dosTime = QDateTime(QDate(2020, 1, 2), QTime(3, 4, 6), Qt::LocalTime);
    ZipWriter::Options unix = dos;
    unix.unixModified = 1700000000;
    ZipWriter writer(zip());
    ASSERT_TRUE(writer.add("dos.txt", "d", dos));
    ASSERT_TRUE(writer.add("unix.txt", "u", unix));
    ASSERT_TRUE(writer.close());

    AdArchive::StatePtr state = AdArchive::OpenArchive(zip());
    ASSERT_NE(state, nullptr);
    AdArchive::Entry entry;
    ASSERT_TRUE(AdArchive::GetEntry(*state, 0, entry));
    EXPECT_EQ(entry.modification, dos.dosTime.toUTC()) << "DOS times are local times";
    EXPECT_EQ(entry.modification.timeSpec(), Qt::UTC);
    ASSERT_TRUE(AdArchive::GetEntry(*state, 1, entry));
    EXPECT_EQ(entry.modification.toSecsSinceEpoch(), 1700000000);
    EXPECT_EQ(entry.access, dos.dosTime.toUTC()) << "only the times the block has replace";
    AdArchive::CloseArchive(std::move(state));

    unpack();
    EXPECT_EQ(QFileInfo(inBase(QStringLiteral("dos.txt"))).lastModified().toUTC(),
              dos.dosTime.toUTC());
    EXPECT_EQ(QFileInfo(inBase(QStringLiteral("unix.txt"))).lastModified().toSecsSinceEpoch(),
              1700000000);
}

TEST_F(AdArchiveTest, AttributesFollowTheHostThatMadeTheArchive) {
    ZipWriter::Options windowsReadOnly;
    windowsReadOnly.host = 0;
    windowsReadOnly.externalAttributes = 0x01 | 0x02 | 0x20;
    ZipWriter::Options unixReadOnly;
    unixReadOnly.externalAttributes = 0100444u << 16;
    ZipWriter writer(zip());
    ASSERT_TRUE(writer.add("win.txt", "w", windowsReadOnly));
    ASSERT_TRUE(writer.add("unix.txt", "u", unixReadOnly));
    ASSERT_TRUE(writer.add("plain.txt", "p"));
    ASSERT_TRUE(writer.close());

    AdArchive::StatePtr state = AdArchive::OpenArchive(zip());
    ASSERT_NE(state, nullptr);
    AdArchive::Entry entry;
    ASSERT_TRUE(AdArchive::GetEntry(*state, 0, entry));
    EXPECT_EQ(entry.attributes, AdArchive::kReadOnly | AdArchive::kHidden | AdArchive::kArchive);
    ASSERT_TRUE(AdArchive::GetEntry(*state, 1, entry));
    EXPECT_EQ(entry.attributes, AdArchive::kReadOnly | AdArchive::kArchive);
    ASSERT_TRUE(AdArchive::GetEntry(*state, 2, entry));
    EXPECT_EQ(entry.attributes, AdArchive::kArchive);
    AdArchive::Entry count;
    ASSERT_TRUE(AdArchive::GetEntry(*state, -1, count));
    EXPECT_EQ(count.index, 3);
    EXPECT_FALSE(AdArchive::GetEntry(*state, 3, entry));
    EXPECT_EQ(AdArchive::lastError(*state), AdArchive::Error::NoEntry);
    AdArchive::CloseArchive(std::move(state));

    // Read-only files cannot be written to, and the next archive still replaces them.
    unpack();
    EXPECT_EQ(QFileInfo(inBase(QStringLiteral("win.txt"))).permissions() &
                  (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther),
              QFileDevice::Permissions());
    EXPECT_EQ(
        QFileInfo(inBase(QStringLiteral("plain.txt"))).permissions() & QFileDevice::WriteOwner,
        QFileDevice::WriteOwner);
    QFile::remove(zip());
    ZipWriter again(zip());
    ASSERT_TRUE(again.add("win.txt", "newer", windowsReadOnly));
    ASSERT_TRUE(again.close());
    EXPECT_EQ(unpack().value(QStringLiteral("win.txt")), AdArchive::Error::None);
    EXPECT_EQ(read(inBase(QStringLiteral("win.txt"))), QByteArray("newer"));
}

TEST_F(AdArchiveTest, DamagedDataNeverReplacesAGoodFile) {
    write(inBase(QStringLiteral("index.html")), "yesterday's banner");
    ZipWriter::Options stored;
    stored.stored = true;
    {
        ZipWriter writer(zip());
        ASSERT_TRUE(writer.add("index.html", "TODAYS-BANNER-PAGE", stored));
        ASSERT_TRUE(writer.add("other.txt", "fine", stored));
        ASSERT_TRUE(writer.close());
    }
    // One byte of the stored page changed: its check sum no longer holds.
    QByteArray bytes = read(zip());
    const qsizetype at = bytes.indexOf("TODAYS");
    ASSERT_GT(at, 0);
    bytes[at] = 'X';
    write(zip(), bytes);

    const auto outcomes = unpack();
    EXPECT_EQ(outcomes.value(QStringLiteral("index.html")), AdArchive::Error::Damaged);
    EXPECT_EQ(read(inBase(QStringLiteral("index.html"))), QByteArray("yesterday's banner"));
    EXPECT_EQ(outcomes.value(QStringLiteral("other.txt")), AdArchive::Error::None);
    EXPECT_EQ(everything().filter(QStringLiteral(".velo-unpack")), QStringList());

    // Data that ends before the size the archive gives it, stored or compressed, is damaged
    // too, however its check sum reads: minizip checks only data that reached its size.
    for (const bool storedData : {true, false}) {
        ZipWriter::Options options;
        options.stored = storedData;
        QFile::remove(zip());
        {
            ZipWriter writer(zip());
            ASSERT_TRUE(writer.add("index.html", "TODAYS-BANNER-PAGE", options));
            ASSERT_TRUE(writer.close());
        }
        QByteArray longer = read(zip());
        const qsizetype central = longer.indexOf("PK\x01\x02");
        ASSERT_GT(central, 0);
        longer[22] = longer[central + 24] = 19;  // one byte more than the page
        write(zip(), longer);
        EXPECT_EQ(unpack().value(QStringLiteral("index.html")), AdArchive::Error::Damaged)
            << storedData;
        EXPECT_EQ(read(inBase(QStringLiteral("index.html"))), QByteArray("yesterday's banner"));
    }
    EXPECT_EQ(everything().filter(QStringLiteral(".velo-unpack")), QStringList());

    // An archive cut short has lost its directory: nothing of it is read, nothing is touched.
    write(zip(), bytes.left(bytes.size() / 2));
    AdArchive::Error error = AdArchive::Error::None;
    EXPECT_EQ(AdArchive::OpenArchive(zip(), &error), nullptr);
    EXPECT_EQ(error, AdArchive::Error::Open);
    EXPECT_FALSE(AdArchive::UnpackArchive(zip(), base()));
    EXPECT_EQ(read(inBase(QStringLiteral("index.html"))), QByteArray("yesterday's banner"));
}

namespace {

// What reading an archive one way comes to: whether it opened, and each entry as described.
QStringList described(AdArchive::StatePtr state, AdArchive::Error opening) {
    QStringList lines{QStringLiteral("open: %1").arg(AdArchive::describe(opening))};
    AdArchive::Entry count;
    if (!state || !AdArchive::GetEntry(*state, -1, count)) {
        return lines;
    }
    for (int i = 0; i < count.index; ++i) {
        AdArchive::Entry e;
        const bool ok = AdArchive::GetEntry(*state, i, e);
        lines.append(QStringLiteral("%1 %2 %3 %4/%5 %6 %7 %8 %9: %10")
                         .arg(e.index)
                         .arg(e.name)
                         .arg(e.attributes)
                         .arg(e.compressedSize)
                         .arg(e.uncompressedSize)
                         .arg(e.modification.toString(Qt::ISODate), e.access.toString(Qt::ISODate),
                              e.creation.toString(Qt::ISODate))
                         .arg(e.link)
                         .arg(ok ? QStringLiteral("ok")
                                 : AdArchive::describe(AdArchive::lastError(*state))));
    }
    return lines;
}

// Everything under FOLDER: each path with its permissions, time and contents.
QStringList tree(const QString& folder) {
    QStringList all;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        all.append(
            QStringLiteral("%1 %2 %3 %4")
                .arg(QDir(folder).relativeFilePath(path))
                .arg(static_cast<int>(it.fileInfo().permissions()), 0, 16)
                .arg(it.fileInfo().lastModified().toSecsSinceEpoch())
                .arg(QString::fromLatin1(it.fileInfo().isFile() && file.open(QIODevice::ReadOnly)
                                             ? file.readAll().toHex()
                                             : QByteArray("-"))));
    }
    all.sort();
    return all;
}

}  // namespace

TEST_F(AdArchiveTest, AnArchiveInMemoryReadsAndUnpacksAsTheSameBytesInAFile) {
    ZipWriter::Options windowsReadOnly;
    windowsReadOnly.host = 0;
    windowsReadOnly.externalAttributes = 0x01 | 0x20;
    windowsReadOnly.unixModified = 1700000000;
    ZipWriter::Options stored;
    stored.stored = true;
    {
        ZipWriter writer(zip());
        ASSERT_TRUE(writer.addFolder("img/"));
        ASSERT_TRUE(writer.add("img/logo.png", QByteArray(3000, 'p')));
        ASSERT_TRUE(writer.add("..\\up.txt", "climbs", windowsReadOnly));
        ASSERT_TRUE(writer.add("index.html", "TODAYS-BANNER-PAGE", stored));
        ASSERT_TRUE(writer.addLink("shortcut", "/etc/passwd"));
        ASSERT_TRUE(writer.add(QByteArray(AdArchive::kMaxNameBytes + 1, 'n'), "long"));
        ASSERT_TRUE(writer.close());
    }
    const QByteArray good = read(zip());
    QByteArray damaged = good;
    damaged[damaged.indexOf("TODAYS")] = 'X';
    const struct {
        const char* what;
        QByteArray bytes;
        int entries;
    } archives[] = {
        {"whole", good, 6},
        {"one stored byte changed", damaged, 6},
        {"behind other data", QByteArray(100, 'x') + good, 6},
        {"cut short", good.left(good.size() / 2), 0},
        {"empty", {}, 0},
    };
    for (const auto& archive : archives) {
        SCOPED_TRACE(archive.what);
        write(zip(), archive.bytes);
        AdArchive::Error fromFile = AdArchive::Error::None;
        AdArchive::Error fromMemory = AdArchive::Error::None;
        AdArchive::StatePtr file = AdArchive::OpenArchive(zip(), &fromFile);
        AdArchive::StatePtr memory = AdArchive::OpenArchive(archive.bytes, &fromMemory);
        EXPECT_EQ(described(std::move(memory), fromMemory), described(std::move(file), fromFile));

        const QString fileFolder = m_dir.filePath(QStringLiteral("file"));
        const QString memoryFolder = m_dir.filePath(QStringLiteral("memory"));
        QStringList fileOutcomes;
        QStringList memoryOutcomes;
        const bool unpacked = AdArchive::UnpackArchive(
            zip(), fileFolder, [&](const QString& name, AdArchive::Error e) {
                fileOutcomes.append(name + QStringLiteral(": ") + AdArchive::describe(e));
            });
        EXPECT_EQ(AdArchive::UnpackArchive(archive.bytes, memoryFolder,
                                           [&](const QString& name, AdArchive::Error e) {
                                               memoryOutcomes.append(name + QStringLiteral(": ") +
                                                                     AdArchive::describe(e));
                                           }),
                  unpacked);
        EXPECT_EQ(fileOutcomes.size(), archive.entries);
        EXPECT_EQ(memoryOutcomes, fileOutcomes);
        EXPECT_EQ(tree(memoryFolder), tree(fileFolder));
        QDir(fileFolder).removeRecursively();
        QDir(memoryFolder).removeRecursively();
    }
}
