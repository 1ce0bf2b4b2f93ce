#include "ads/AdDownload.h"

#include "session/ConfigFile.h"
#include "support/RefService.h"
#include "support/ZipWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class AdDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_service.running());
        // Each test offers its own archives, not the demo's.
        for (const char* key : {AdDownload::kBanner.key, AdDownload::kPopUp.key}) {
            QFile::remove(QDir(m_service.dataFolder())
                              .filePath(QStringLiteral("ads/%1.zip").arg(QLatin1String(key))));
        }
    }
    QString program(const QString& name) const {
        return QDir(m_service.programFolder()).filePath(name);
    }
    // An archive the service hands out for KEY, holding NAME with DATA.
    void offer(const char* key, const QByteArray& name, const QByteArray& data) const {
        QDir().mkpath(QDir(m_service.dataFolder()).filePath(QStringLiteral("ads")));
        ZipWriter writer(QDir(m_service.dataFolder())
                             .filePath(QStringLiteral("ads/%1.zip").arg(QLatin1String(key))));
        ASSERT_TRUE(writer.add(name, data));
        ASSERT_TRUE(writer.close());
    }
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
    std::vector<AdDownload::Fetch> fetchBoth(const QString& uuid = QStringLiteral("abc123")) const {
        std::vector<AdDownload::Fetch> fetched;
        EXPECT_EQ(
            AdDownload::FetchAll(m_service.programFolder(),
                                 ConfigFile(m_service.programFolder()).adServer(), uuid, &fetched),
            0);
        EXPECT_EQ(fetched.size(), 2u);
        return fetched;
    }

    RefService m_service{true};
};

}  // namespace

TEST_F(AdDownloadTest, BothArchivesArriveWithTheirKeysAndTheIdentityAndAreUnpacked) {
    offer(AdDownload::kBanner.key, "index.html", "<html>banner</html>");
    offer(AdDownload::kPopUp.key, "pop.html", "<html>pop</html>");
    ASSERT_FALSE(QFileInfo::exists(program(QStringLiteral("Advertise"))))
        << "a fresh installation without the folder";
    const auto fetched = fetchBoth();
    EXPECT_EQ(fetched[0].address,
              QStringLiteral("http://%1:7006/pcad.action?adkey=VELO_BOTTOM_AD_JP_F&uuid=abc123")
                  .arg(m_service.host()));
    EXPECT_EQ(fetched[1].address,
              QStringLiteral("http://%1:7006/pcad.action?adkey=VELO_REAR_AD_JP_F&uuid=abc123")
                  .arg(m_service.host()));
    EXPECT_EQ(m_service.requests(QStringLiteral("/pcad.action")), 2);
    EXPECT_EQ(m_service.lastRequest(QStringLiteral("/pcad.action")).value("target").toString(),
              QStringLiteral("/pcad.action?adkey=VELO_REAR_AD_JP_F&uuid=abc123"));
    EXPECT_EQ(read(program(QStringLiteral("Advertise/Fix/index.html"))),
              QByteArray("<html>banner</html>"));
    EXPECT_EQ(read(program(QStringLiteral("Advertise/Pop/pop.html"))),
              QByteArray("<html>pop</html>"));
    EXPECT_TRUE(QFileInfo::exists(program(QStringLiteral("Advertise/Fix.zip"))));
    ASSERT_EQ(fetched[0].entries.size(), 1);
    EXPECT_EQ(fetched[0].entries.front().second, AdArchive::Error::None);

    // No identity yet is fine: the address ends with an empty one.
    EXPECT_TRUE(fetchBoth(QString())[0].address.endsWith(QStringLiteral("&uuid=")));
}

TEST_F(AdDownloadTest, AMissingBannerLeavesItsFilesAndStillFetchesThePopUp) {
    write(program(QStringLiteral("Advertise/Fix/index.html")), "yesterday");
    write(program(QStringLiteral("Advertise/Fix.zip")), "yesterday's zip");
    offer(AdDownload::kPopUp.key, "pop.html", "pop");
    const auto fetched = fetchBoth();
    EXPECT_EQ(fetched[0].status, 404);
    EXPECT_FALSE(fetched[0].stored);
    EXPECT_EQ(read(program(QStringLiteral("Advertise/Fix/index.html"))), QByteArray("yesterday"));
    EXPECT_EQ(read(program(QStringLiteral("Advertise/Fix.zip"))), QByteArray("yesterday's zip"));
    EXPECT_EQ(fetched[1].status, 200);
    EXPECT_EQ(read(program(QStringLiteral("Advertise/Pop/pop.html"))), QByteArray("pop"));
}

TEST_F(AdDownloadTest, AnArchiveCutShortOrDamagedTouchesNothing) {
    write(program(QStringLiteral("Advertise/Fix/index.html")), "yesterday");
    write(program(QStringLiteral("Advertise/Fix.zip")), "yesterday's zip");
    offer(AdDownload::kBanner.key, "index.html", QByteArray(20000, 'b'));
    offer(AdDownload::kPopUp.key, "pop.html", "pop");
    // The banner's body breaks off halfway.
    m_service.script(QStringLiteral("/pcad.action"), QStringLiteral("truncate"));
    auto fetched = fetchBoth();
    EXPECT_FALSE(fetched[0].stored);
    EXPECT_EQ(read(program(QStringLiteral("Advertise/Fix.zip"))), QByteArray("yesterday's zip"));
    EXPECT_EQ(read(program(QStringLiteral("Advertise/Fix/index.html"))), QByteArray("yesterday"));
    EXPECT_TRUE(fetched[1].unpacked) << "the pop-up archive came whole";

    // Garbage that arrives whole is kept as sent, but nothing of it is unpacked.
    m_service.script(QStringLiteral("/pcad.action"), QStringLiteral("garbage"));
    fetched = fetchBoth();
    EXPECT_TRUE(fetched[0].stored);
    EXPECT_FALSE(fetched[0].unpacked);
    EXPECT_EQ(read(program(QStringLiteral("Advertise/Fix/index.html"))), QByteArray("yesterday"));
}

TEST_F(AdDownloadTest, AnAdServerNameThatIsNotAPlainHostIsNeverAsked) {
    std::vector<AdDownload::Fetch> fetched;
    AdDownload::FetchAll(m_service.programFolder(),
                         QStringLiteral("127.0.0.3#@") + m_service.host(), QString(), &fetched);
    ASSERT_EQ(fetched.size(), 2u);
    EXPECT_TRUE(fetched[0].address.isEmpty());
    EXPECT_EQ(m_service.requests(QStringLiteral("/pcad.action")), 0);
}

TEST_F(AdDownloadTest, AnArchiveHandedOnByARedirectIsFetchedAndUnpacked) {
    offer(AdDownload::kBanner.key, "index.html", "<html>moved</html>");
    offer(AdDownload::kPopUp.key, "pop.html", "pop");
    m_service.script(QStringLiteral("/pcad.action"), QStringLiteral("redirect"),
                     "/pcad.action?adkey=VELO_BOTTOM_AD_JP_F&uuid=abc123", 301);
    const auto fetched = fetchBoth();
    EXPECT_TRUE(fetched[0].unpacked);
    EXPECT_EQ(read(program(QStringLiteral("Advertise/Fix/index.html"))),
              QByteArray("<html>moved</html>"));
    EXPECT_EQ(m_service.requests(QStringLiteral("/pcad.action")), 3);
}
