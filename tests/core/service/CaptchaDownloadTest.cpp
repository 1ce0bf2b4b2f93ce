#include "service/CaptchaDownload.h"

#include "support/RefService.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class CaptchaDownloadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_service.running()); }
    QString path() const { return CaptchaDownload::imagePath(m_service.programFolder()); }
    QByteArray onDisk() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    CaptchaDownload::Result fetch(quint64 ticket) {
        return CaptchaDownload::Download(m_service.serverUrl(), path(), m_tickets, ticket);
    }
    static const QString kEndpoint;

    RefService m_service;
    CaptchaDownload::Tickets m_tickets;
};

const QString CaptchaDownloadTest::kEndpoint = QStringLiteral("/authcode.jsp");

}  // namespace

TEST_F(CaptchaDownloadTest, PictureLandsInTheSkinFolderAsSent) {
    ASSERT_FALSE(QFile::exists(path()));
    const CaptchaDownload::Result result = fetch(m_tickets.next());
    ASSERT_TRUE(result.ok);
    EXPECT_TRUE(result.stored);
    EXPECT_TRUE(result.image.startsWith("BM"));
    EXPECT_EQ(onDisk(), result.image);
    EXPECT_EQ(m_service.captchaCode().size(), 4);
    // Nothing but the picture is left in the folder.
    EXPECT_EQ(QDir(QFileInfo(path()).absolutePath()).entryList(QDir::Files),
              QStringList{QStringLiteral("auth.bmp")});
}

TEST_F(CaptchaDownloadTest, AnOlderFetchNeverReplacesANewerPicture) {
    const quint64 older = m_tickets.next();
    const quint64 newer = m_tickets.next();
    const CaptchaDownload::Result second = fetch(newer);
    ASSERT_TRUE(second.stored);
    const CaptchaDownload::Result first = fetch(older);
    EXPECT_TRUE(first.ok);
    EXPECT_FALSE(first.stored);
    EXPECT_EQ(onDisk(), second.image);
    EXPECT_EQ(QDir(QFileInfo(path()).absolutePath()).entryList(QDir::Files).size(), 1)
        << "the older fetch's file is not left behind";
}

TEST_F(CaptchaDownloadTest, RefusedRepliesLeaveThePictureThere) {
    ASSERT_TRUE(fetch(m_tickets.next()).ok);
    const QByteArray kept = onDisk();
    // Too large to be a captcha, an error page, a reply that broke off, no reply at all.
    m_service.script(kEndpoint, QStringLiteral("reply"),
                     QByteArray(CaptchaDownload::kMaxImageBytes + 1, 'B'));
    m_service.script(kEndpoint, QStringLiteral("reply"), "not here", 404);
    m_service.script(kEndpoint, QStringLiteral("truncate"));
    m_service.script(kEndpoint, QStringLiteral("drop"));
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(fetch(m_tickets.next()).ok) << "case " << i;
        EXPECT_EQ(onDisk(), kept) << "case " << i;
    }
    // A picture of exactly the largest size is taken.
    m_service.script(kEndpoint, QStringLiteral("reply"),
                     QByteArray(CaptchaDownload::kMaxImageBytes, 'B'));
    EXPECT_TRUE(fetch(m_tickets.next()).ok);
}

TEST_F(CaptchaDownloadTest, AFolderThatCannotBeWrittenStillGivesThePicture) {
    // Where skin/auth.bmp cannot be written (here a folder stands in its place), the picture is
    // shown from memory instead of being thrown away.
    ASSERT_TRUE(QDir().mkpath(path()));
    const CaptchaDownload::Result result = fetch(m_tickets.next());
    EXPECT_TRUE(result.ok);
    EXPECT_FALSE(result.stored);
    EXPECT_TRUE(result.image.startsWith("BM"));
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

TEST_F(CaptchaDownloadTest, RedirectsAreFollowedUpToFiveAndOnlyToWebAddresses) {
    const QString here = m_service.serverUrl() + kEndpoint;
    struct Case {
        QByteArray location;
        int redirects;
        bool ok;
    };
    for (const Case& c : {Case{here.toUtf8(), 5, true}, Case{kEndpoint.toUtf8(), 1, true},
                          Case{here.toUtf8(), 6, false}, Case{"file:///etc/passwd", 1, false}}) {
        m_service.reset();
        m_service.script(kEndpoint, QStringLiteral("redirect"), c.location, 302, 0, c.redirects);
        const CaptchaDownload::Result result = fetch(m_tickets.next());
        EXPECT_EQ(result.ok, c.ok) << c.location.constData() << " x" << c.redirects;
        EXPECT_EQ(result.ok && result.image.startsWith("BM"), c.ok);
    }
}
