#include "ads/CAdvertiseDlg.h"

#include "ads/CMaHtmlView.h"
#include "support/QtWait.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class CAdvertiseDlgTest : public ::testing::Test {
protected:
    void writePage(const QByteArray& html) {
        const QString path = m_folder.filePath(QStringLiteral("Advertise/Fix/index.html"));
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(html);
        file.close();
        // A rewrite within the same second must still count as newer.
        ++m_stamp;
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(m_stamp),
                                     QFileDevice::FileModificationTime));
    }
    // The colour most of the banner shows.
    static QRgb middle(QWidget& banner) {
        QCoreApplication::processEvents();
        return banner.grab().toImage().pixel(banner.width() / 2, banner.height() - 5);
    }

    QTemporaryDir m_folder;
    int m_stamp = 0;
};

}  // namespace

TEST_F(CAdvertiseDlgTest, WithoutAPageTheBannerIsAnEmptyDarkStrip) {
    CAdvertiseDlg banner(m_folder.path(), m_folder.path(), nullptr);
    banner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&banner));
    EXPECT_EQ(banner.size(), QSize(208, 70));
    EXPECT_EQ(middle(banner), qRgb(5, 9, 13));
    EXPECT_TRUE(banner.view()->toPlainText().isEmpty());
}

TEST_F(CAdvertiseDlgTest, ThePageShowsWithItsImageAndARewrittenPageOnTheNextRepaint) {
    QImage red(40, 40, QImage::Format_RGB32);
    red.fill(qRgb(220, 0, 0));
    QDir().mkpath(m_folder.filePath(QStringLiteral("Advertise/Fix/img")));
    ASSERT_TRUE(red.save(m_folder.filePath(QStringLiteral("Advertise/Fix/img/red.png"))));
    writePage(
        "<html><body bgcolor=\"#0000c0\"><img src=\"img/red.png\"/>"
        "<p>新番組スタート</p></body></html>");
    CAdvertiseDlg banner(m_folder.path(), m_folder.path(), nullptr);
    banner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&banner));
    EXPECT_TRUE(banner.view()->toPlainText().contains(QStringLiteral("新番組スタート")));
    const QImage shot = banner.grab().toImage();
    EXPECT_EQ(shot.pixel(20, 20), qRgb(220, 0, 0)) << "the image beside the page shows";

    // A newer archive rewrote the page while the banner was up: the next repaint shows it.
    writePage("<html><body bgcolor=\"#00a000\"><p>ニュース</p></body></html>");
    banner.update();
    ASSERT_SOON(banner.view()->toPlainText().contains(QStringLiteral("ニュース")), 5000);
    EXPECT_FALSE(banner.view()->refresh()) << "an unchanged page is not loaded again";
}

TEST_F(CAdvertiseDlgTest, APictureReplacedBesideAnUnchangedPageShowsOnTheNextRepaint) {
    const QString picture = m_folder.filePath(QStringLiteral("Advertise/Fix/img/ad.png"));
    QDir().mkpath(QFileInfo(picture).absolutePath());
    // An archive's pictures carry the archive's times, which may be older than what they replace.
    const auto savePicture = [&picture](QRgb colour) {
        QImage image(40, 40, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(picture));
        QFile file(picture);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2020, 1, 1), QTime(0, 0)),
                                     QFileDevice::FileModificationTime));
    };
    savePicture(qRgb(220, 0, 0));
    writePage("<html><body><img src=\"img/ad.png\"/></body></html>");
    CAdvertiseDlg banner(m_folder.path(), m_folder.path(), nullptr);
    banner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&banner));
    ASSERT_EQ(banner.grab().toImage().pixel(20, 20), qRgb(220, 0, 0));

    savePicture(qRgb(0, 200, 0));
    banner.update();
    EXPECT_EQ_SOON(banner.grab().toImage().pixel(20, 20), qRgb(0, 200, 0), 5000);
}

TEST_F(CAdvertiseDlgTest, TheInstalledPageShowsUntilTheUsersOwnBannerArrives) {
    writePage("<html><body><p>インストール済み</p></body></html>");
    QTemporaryDir own;
    CAdvertiseDlg banner(own.path(), m_folder.path(), nullptr);
    banner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&banner));
    EXPECT_TRUE(banner.view()->toPlainText().contains(QStringLiteral("インストール済み")));

    const QString page = QDir(own.path()).filePath(QStringLiteral("Advertise/Fix/index.html"));
    QDir().mkpath(QFileInfo(page).absolutePath());
    QFile file(page);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html><body><p>新しいバナー</p></body></html>");
    file.close();
    banner.update();
    ASSERT_SOON(banner.view()->toPlainText().contains(QStringLiteral("新しいバナー")), 5000);
}
