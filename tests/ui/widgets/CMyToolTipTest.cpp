#include "support/ManualClock.h"
#include "support/QtWait.h"
#include "widgets/CMyToolTip.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class CMyToolTipTest : public ::testing::Test {
protected:
    void SetUp() override {
        balloon().hide();
        balloon().setCloseAfterMs(CMyToolTip::kCloseAfterMs);
        balloon().SetTitle(QStringLiteral("VELOの新しいバージョン"));
        balloon().SetBody(QStringLiteral("番組表を改善#"));
    }
    static CMyToolTip& balloon() { return CMyToolTip::GetBalloon(); }
    // An icon in the lower right corner of the screen.
    static QRect icon() {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        return QRect(screen.right() - 40, screen.bottom() - 24, 22, 22);
    }
    // An updater that leaves a mark when it starts.
    QString writeUpdater() {
        const QString path = m_folder.filePath(QStringLiteral("Update.exe"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\necho started > '" +
                   m_folder.filePath(QStringLiteral("mark")).toUtf8() + "'\n");
        file.close();
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
        return path;
    }
    void click(QPoint at) {
        QTest::mousePress(&balloon(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(&balloon(), Qt::LeftButton, {}, at);
    }

    QTemporaryDir m_folder;
    ManualClock m_clock;
};

}  // namespace

TEST_F(CMyToolTipTest, OnlyLinesEndedByAHashAreDrawnAndTheWidestLineSizesTheBox) {
    balloon().SetBody(QStringLiteral("一行目#二行目#最後は閉じていない"));
    EXPECT_EQ(balloon().bodyLines(),
              (QStringList{QStringLiteral("一行目"), QStringLiteral("二行目")}));
    ASSERT_TRUE(balloon().ShowAtTray(m_clock, icon(), m_folder.path(), {}));
    const int narrow = balloon().boxRect().width();
    const int twoLines = balloon().boxRect().height();
    balloon().SetBody(QStringLiteral("一行目#二行目#") +
                      QStringLiteral("とても長い本文の行はタイトルより広いので箱を広げます#"));
    ASSERT_TRUE(balloon().ShowAtTray(m_clock, icon(), m_folder.path(), {}));
    EXPECT_GT(balloon().boxRect().width(), narrow) << "a line wider than the title widens it";
    EXPECT_GT(balloon().boxRect().height(), twoLines);
    // The tail reaches below the box, and the whole balloon stays on the screen.
    EXPECT_GT(balloon().height(), balloon().boxRect().height());
    EXPECT_TRUE(
        QGuiApplication::primaryScreen()->availableGeometry().contains(balloon().geometry()));
    EXPECT_EQ(balloon().closeButtonRect().size(), QSize(16, 16));
    const QImage shot = balloon().grab().toImage();
    EXPECT_EQ(shot.pixel(balloon().boxRect().center()), CMyToolTip::kFill.rgb());

    // A title wider than every line, drawn beside the icon, still ends before the close button.
    balloon().SetTitle(
        QStringLiteral("VELOの新しいバージョンを発見します。ここにクリックしてください"));
    ASSERT_TRUE(balloon().ShowAtTray(m_clock, icon(), m_folder.path(), {}));
    QFont bold = QApplication::font();
    bold.setPixelSize(14);
    bold.setBold(true);
    EXPECT_LT(CMyToolTip::kMargin + 27 + QFontMetrics(bold).horizontalAdvance(balloon().title()),
              balloon().closeButtonRect().left());
}

TEST_F(CMyToolTipTest, WithoutTheIconsPlaceItShowsWithoutATailAtTheCornerByThePanel) {
    ASSERT_TRUE(balloon().ShowAtTray(m_clock, QRect(), m_folder.path(), {}));
    EXPECT_TRUE(balloon().isVisible());
    EXPECT_EQ(balloon().size(), balloon().boxRect().size()) << "no tail points at nothing";

    const QRect screen(0, 0, 1280, 800);
    const QSize size(300, 100);
    const struct {
        QRect available;
        QPoint at;
    } cases[] = {
        {QRect(0, 0, 1280, 768), QPoint(980, 668)},  // panel at the bottom
        {QRect(0, 32, 1280, 768), QPoint(980, 32)},  // at the top
        {QRect(48, 0, 1232, 800), QPoint(48, 700)},  // at the left
        {QRect(0, 0, 1232, 800), QPoint(932, 700)},  // at the right
        {screen, QPoint(980, 700)},                  // none: the bottom right corner
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CMyToolTip::cornerNearPanel(screen, c.available, size), c.at)
            << c.available.x() << "," << c.available.y() << " " << c.available.width() << "x"
            << c.available.height();
    }
}

TEST_F(CMyToolTipTest, ItClosesByItselfUnlessThePointerRestsOnIt) {
    balloon().setCloseAfterMs(100);
    ASSERT_TRUE(balloon().ShowAtTray(m_clock, icon(), m_folder.path(), {}));
    EXPECT_TRUE(balloon().countdownRunning());
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(&balloon(), &enter);
    EXPECT_FALSE(balloon().countdownRunning()) << "the pointer over it stops the countdown";
    m_clock.advance(250);
    EXPECT_TRUE(balloon().isVisible());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&balloon(), &leave);
    EXPECT_TRUE(balloon().countdownRunning()) << "leaving starts it again from the beginning";
    m_clock.advance(99);
    EXPECT_TRUE(balloon().isVisible());
    m_clock.advance(1);
    EXPECT_FALSE(balloon().isVisible());
}

TEST_F(CMyToolTipTest, TheCloseButtonOnlyClosesAClickElsewhereStartsTheUpdater) {
    writeUpdater();
    bool ended = false;
    ASSERT_TRUE(balloon().ShowAtTray(m_clock, icon(), m_folder.path(), [&ended] { ended = true; }));
    click(balloon().closeButtonRect().center());
    EXPECT_FALSE(balloon().isVisible());
    ASSERT_TRUE(balloon().ShowAtTray(m_clock, icon(), m_folder.path(), [&ended] { ended = true; }));
    m_clock.advance(CMyToolTip::kUpdaterDelayMs + 300);
    EXPECT_FALSE(QFile::exists(m_folder.filePath(QStringLiteral("mark"))));
    EXPECT_FALSE(ended);

    click(balloon().boxRect().center());
    EXPECT_FALSE(balloon().isVisible());
    m_clock.advance(CMyToolTip::kUpdaterDelayMs - 1);
    EXPECT_FALSE(ended) << "the updater starts after a short pause";
    m_clock.advance(1);
    EXPECT_TRUE(ended);
    ASSERT_SOON(QFile::exists(m_folder.filePath(QStringLiteral("mark"))), 5000);

    // Without an updater a click only closes.
    QFile::remove(m_folder.filePath(QStringLiteral("Update.exe")));
    ended = false;
    ASSERT_TRUE(balloon().ShowAtTray(m_clock, icon(), m_folder.path(), [&ended] { ended = true; }));
    click(balloon().boxRect().center());
    m_clock.advance(CMyToolTip::kUpdaterDelayMs + 300);
    EXPECT_FALSE(ended);
}
