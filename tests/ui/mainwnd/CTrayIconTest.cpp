#include "mainwnd/CTrayIcon.h"

#include "mainwnd/CAboutDlg.h"
#include "platform/Clock.h"
#include "support/UiFixture.h"

#include "support/QtWait.h"
#include "widgets/CMenuEx.h"
#include "widgets/CMyToolTip.h"

#include <QApplication>
#include <QCursor>
#include <QProcess>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// These tests need a desktop with a notification area: tests/support/with-tray.sh gives them
// one (and they fail when it does not come); on the offscreen platform they are skipped.
class CTrayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Under tests/support/with-tray.sh the notification area comes a moment after the
        // display; elsewhere there may be none, and the tests have nothing to look at.
        if (qEnvironmentVariableIsSet("VELO_EXPECT_TRAY")) {
            ASSERT_SOON(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
        } else if (!QSystemTrayIcon::isSystemTrayAvailable()) {
            GTEST_SKIP() << "no notification area on this display";
        }
        m_owner.resize(200, 100);
        ASSERT_TRUE(m_tray.Create(&m_owner, CTrayIcon::kTip, QIcon(QStringLiteral(":/icon/128"))));
        // The icon is embedded a moment after it is shown: until the notification area has taken
        // it in, its window stands alone at the screen's corner.
        ASSERT_SOON(!m_tray.geometry().isEmpty() && m_tray.geometry().topLeft() != QPoint(0, 0),
                    10000);
    }

    QWidget m_owner;
    CTrayIcon m_tray;
};

}  // namespace

TEST_F(CTrayIconTest, TheIconShowsItsTipAndItsMenuAsTheProgramHasIt) {
    EXPECT_EQ(m_tray.icon()->toolTip(), CTrayIcon::kTip);
    QStringList items;
    for (const QAction* action : m_tray.menu()->actions()) {
        items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    EXPECT_EQ(items, (QStringList{CTrayIcon::kShowText, QStringLiteral("-"), CTrayIcon::kAboutText,
                                  CTrayIcon::kExitText}));
    EXPECT_EQ(CMenuEx::commandOf(m_tray.menu()->defaultAction()), CTrayIcon::kShowCommand);
    EXPECT_EQ(m_tray.menu()->itemById(32778), nullptr);
    EXPECT_EQ(m_tray.menu()->itemById(32781), nullptr) << "never the upgrade item";

    // The first time the pointer comes over it, the tip becomes the program's full name. The
    // notification area may still be moving the icon into its place when the pointer first goes
    // there, so the pointer comes again, from outside, until the icon has seen it.
    const auto pointerComesOver = [this] {
        if (m_tray.icon()->toolTip() != CTrayIcon::kLongTip) {
            QCursor::setPos(0, 0);
            QCoreApplication::processEvents();
            QCursor::setPos(m_tray.geometry().center());
            QTest::qWait(100);
        }
        return m_tray.icon()->toolTip();
    };
    EXPECT_EQ_SOON(pointerComesOver(), CTrayIcon::kLongTip, 10000);
}

TEST_F(CTrayIconTest, CommandsAndClicksReachTheOwner) {
    QList<int> commands;
    int clicks = 0;
    int doubleClicks = 0;
    m_tray.onCommand = [&commands](int command) { commands << command; };
    m_tray.onClick = [&clicks] { ++clicks; };
    m_tray.onDoubleClick = [&doubleClicks] { ++doubleClicks; };
    for (const int id :
         {CTrayIcon::kShowCommand, CTrayIcon::kAboutCommand, CTrayIcon::kExitCommand}) {
        m_tray.menu()->itemById(id)->trigger();
    }
    EXPECT_EQ(commands, (QList<int>{32771, 32779, 32772}));
    emit m_tray.icon()->activated(QSystemTrayIcon::Trigger);
    emit m_tray.icon()->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(doubleClicks, 1);
}

TEST_F(CTrayIconTest, TheBalloonPointsAtTheIcon) {
    CMyToolTip& balloon = CMyToolTip::GetBalloon();
    balloon.SetTitle(QStringLiteral("VELOの新しいバージョン"));
    balloon.SetBody(QStringLiteral("番組表を改善しました#"));
    ASSERT_TRUE(balloon.ShowAtTray(Clock::system(), m_tray.geometry(), QString(), {}));
    const QRect icon = m_tray.geometry();
    // Beside the icon, on the screen: its right edge near the icon's.
    EXPECT_LE(std::abs(balloon.geometry().right() - icon.right()), balloon.width());
    EXPECT_LE(std::abs(balloon.geometry().top() - icon.bottom()), balloon.height() + icon.height());
    balloon.hide();
}

TEST_F(CTrayIconTest, AClickReachesTheOwnerWhileOneOfItsDialogsIsOpen) {
    int clicks = 0;
    m_tray.onClick = [&clicks] { ++clicks; };
    m_owner.show();
    QWidget* iconWindow = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qstrcmp(widget->metaObject()->className(), "QSystemTrayIconSys") == 0) {
            iconWindow = widget;
        }
    }
    ASSERT_NE(iconWindow, nullptr);
    CAboutDlg about(&m_owner);
    int clicksWhileOpen = -1;
    UiFixture::whenModalOpens([&](QWidget* modal) {
        // Delivered as the window system delivers it, so that a modal block would apply.
        QTest::mouseClick(iconWindow->windowHandle(), Qt::LeftButton, {},
                          iconWindow->rect().center());
        QCoreApplication::processEvents();
        clicksWhileOpen = clicks;
        static_cast<QDialog*>(modal)->reject();
    });
    about.exec();
    EXPECT_EQ(clicksWhileOpen, 1);
}

// Under tests/support/with-tray.sh --late: the display has no notification area until the test
// starts one, as when a panel starts after the client.
TEST(CTrayIconLate, TheIconAppearsWhenANotificationAreaComesLater) {
    if (!qEnvironmentVariableIsSet("VELO_LATE_TRAY")) {
        GTEST_SKIP() << "needs a display whose notification area comes later";
    }
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    QWidget owner;
    CTrayIcon tray;
    ASSERT_TRUE(tray.Create(&owner, CTrayIcon::kTip, QIcon(QStringLiteral(":/icon/128"))));
    EXPECT_TRUE(tray.geometry().isEmpty());
    QProcess panel;
    panel.start(QStringLiteral("trayer"),
                {"--edge", "top", "--align", "right", "--widthtype", "request", "--height", "32",
                 "--SetDockType", "true", "--transparent", "false"});
    ASSERT_TRUE(panel.waitForStarted(5000));
    ASSERT_SOON(!tray.geometry().isEmpty() && tray.geometry().topLeft() != QPoint(0, 0), 10000);
    panel.terminate();
    panel.waitForFinished(5000);
}
