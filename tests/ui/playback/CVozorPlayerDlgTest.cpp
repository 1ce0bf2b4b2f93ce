#include "playback/CVozorPlayerDlg.h"

#include "catalogue/ChannelList.h"
#include "playback/CDsopocx.h"
#include "session/AppContext.h"
#include "support/ManualClock.h"
#include "support/UiFixture.h"
#include "widgets/Messages.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class CVozorPlayerDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_context.m_strExeDir = m_folder.path();
        m_context.session.SetSignedIn(1);
        m_context.session.SetUserId(QStringLiteral("demo@velo.example"));
        m_context.session.SetDisplayName(QStringLiteral("デモ"));
        m_context.session.SetPassword(QStringLiteral("demo1234"));
    }
    // The channel the main window would hand the player: chosen in the list, then started.
    void choose(const QString& address, const QString& name) {
        const ChannelInfo channel(0, {}, {}, {}, address);
        m_context.nowPlaying.choose(name, nullptr, false);
        m_context.nowPlaying.start(channel);
    }
    void message(CVozorPlayerDlg& player, int type, qintptr w = 0, qintptr l = 0) {
        Messages::WindowMessage event(type, w, l);
        QApplication::sendEvent(&player, &event);
    }
    QStringList initialisation(bool withSignIn) const {
        QStringList calls{QStringLiteral("create"),
                          QStringLiteral("115 QString:%1/logo.html").arg(m_folder.path()),
                          QStringLiteral("61 QString:ja_JP")};
        if (withSignIn) {
            calls << QStringLiteral("81 QString:pc/forceauth")
                  << QStringLiteral("41 QString:demo@velo.example")
                  << QStringLiteral("51 QString:demo1234");
        }
        calls << QStringLiteral("112") << QStringLiteral("105 int:1");
        return calls;
    }

    ManualClock m_clock;
    UiFixture m_ui;
    QTemporaryDir m_folder;
    AppContext m_context{QString(), m_clock};
};

}  // namespace

TEST_F(CVozorPlayerDlgTest, InitialisesThenPlaysInTheControlsOrder) {
    CVozorPlayerDlg player(m_context, nullptr);
    EXPECT_EQ(m_ui.controlCalls(), initialisation(true));
    EXPECT_EQ(m_context.controlReady, 1);

    m_ui.clearControlCalls();
    choose(QStringLiteral("zar://127.0.0.2/live/ch101"), QStringLiteral("VELOニュース24"));
    message(player, Messages::kPlayCurrent);
    EXPECT_EQ(
        m_ui.controlCalls(),
        (QStringList{QStringLiteral("101"), QStringLiteral("11 QString:zar://127.0.0.2/live/ch101"),
                     QStringLiteral("21 QString:VELOニュース24"), QStringLiteral("100")}));
    int playing = 0;
    player.control().QueryState(2, playing);
    EXPECT_NE(playing, 0);

    m_ui.clearControlCalls();
    message(player, Messages::kStopPlayback);
    EXPECT_EQ(m_ui.controlCalls(), QStringList{QStringLiteral("101")});
    EXPECT_EQ(player.playingState(), 0);
}

TEST_F(CVozorPlayerDlgTest, PlayRequestWithParametersIsIgnored) {
    CVozorPlayerDlg player(m_context, nullptr);
    m_ui.clearControlCalls();
    message(player, Messages::kPlayCurrent, 1, 0);
    message(player, Messages::kPlayCurrent, 0, 7);
    EXPECT_TRUE(m_ui.controlCalls().isEmpty());
}

TEST_F(CVozorPlayerDlgTest, ControlMadeWithoutSignInIsMadeAgainBeforePlaying) {
    m_context.session.SetSignedIn(0);  // nobody signed in: no display name
    CVozorPlayerDlg player(m_context, nullptr);
    EXPECT_EQ(m_ui.controlCalls(), initialisation(false));
    EXPECT_EQ(m_context.controlReady, 0);

    m_context.session.SetSignedIn(1);
    m_ui.clearControlCalls();
    choose(QStringLiteral("zar://a"), QStringLiteral("A"));
    message(player, Messages::kPlayCurrent);
    QStringList expected{QStringLiteral("101"), QStringLiteral("destroy")};
    expected << initialisation(true);
    expected << QStringLiteral("11 QString:zar://a") << QStringLiteral("21 QString:A")
             << QStringLiteral("100");
    EXPECT_EQ(m_ui.controlCalls(), expected);
    EXPECT_EQ(m_context.controlReady, 1);
}

TEST_F(CVozorPlayerDlgTest, ControlStaysTwoPixelsBelowTheTopOverTheFullWidth) {
    CVozorPlayerDlg player(m_context, nullptr);
    player.resize(400, 300);
    ASSERT_NE(player.control().window(), nullptr);
    EXPECT_EQ(player.control().window()->geometry(), QRect(0, 2, 400, 298));
    // The two-pixel strip across the top is the strip bitmap.
    const QImage shot = player.grab().toImage();
    const QImage strip(QStringLiteral(":/bitmap/145"));
    EXPECT_EQ(shot.pixel(200, 0), strip.pixel(5, 0));
    EXPECT_EQ(shot.pixel(200, 1), strip.pixel(5, 1));
}

TEST_F(CVozorPlayerDlgTest, WithoutARegisteredControlCallsDoNothing) {
    qputenv("XDG_DATA_HOME", m_folder.path().toUtf8());  // an empty registry
    CVozorPlayerDlg player(m_context, nullptr);
    EXPECT_FALSE(player.control().hasControl());
    EXPECT_EQ(m_context.controlReady, 0);
    int untouched = 42;
    player.control().QueryState(2, untouched);
    EXPECT_EQ(untouched, 42);
}

TEST_F(CVozorPlayerDlgTest, ASlowControlIsAskedAgainOnATimerWhileTheWindowGoesOn) {
    m_ui.setControlSlowness(3);
    CVozorPlayerDlg player(m_context, nullptr);
    EXPECT_TRUE(player.resetPending()) << "the window returned without waiting";
    EXPECT_EQ(m_context.controlReady, 0);
    m_clock.advance(CVozorPlayerDlg::kReadyPollMs * 2);
    EXPECT_TRUE(player.resetPending());
    m_clock.advance(CVozorPlayerDlg::kReadyPollMs);
    EXPECT_FALSE(player.resetPending());
    EXPECT_EQ(m_context.controlReady, 1);
    EXPECT_EQ(m_ui.controlCalls().count(QStringLiteral("105 int:1")), 4);
}

TEST_F(CVozorPlayerDlgTest, AControlThatNeverGetsReadyHasFiveSecondsThenTheChannelStartsAnyway) {
    m_context.session.SetSignedIn(0);
    CVozorPlayerDlg player(m_context, nullptr);
    m_context.session.SetSignedIn(1);
    m_ui.setControlSlowness(-1);
    m_ui.clearControlCalls();
    choose(QStringLiteral("zar://a"), QStringLiteral("A"));
    message(player, Messages::kPlayCurrent);
    EXPECT_TRUE(player.resetPending());
    EXPECT_FALSE(player.isVisible()) << "hidden while the new control gets ready";
    m_clock.advance(CVozorPlayerDlg::kReadyWaitMs - CVozorPlayerDlg::kReadyPollMs);
    EXPECT_FALSE(m_ui.controlCalls().contains(QStringLiteral("100")));
    m_clock.advance(CVozorPlayerDlg::kReadyPollMs);
    EXPECT_FALSE(player.resetPending());
    // The once-a-second question whether frames show (for the screen saver) is not part of it.
    QStringList calls = m_ui.controlCalls();
    calls.removeAll(QStringLiteral("105 int:2"));
    ASSERT_GE(calls.size(), 3);
    EXPECT_EQ(calls.mid(calls.size() - 3),
              (QStringList{QStringLiteral("11 QString:zar://a"), QStringLiteral("21 QString:A"),
                           QStringLiteral("100")}));
    EXPECT_EQ(m_context.controlReady, 0) << "the next play request makes the control again";
}

TEST_F(CVozorPlayerDlgTest, ThePaneAsksOnceASecondWhetherFramesShow) {
    CVozorPlayerDlg player(m_context, nullptr);
    m_ui.clearControlCalls();
    m_clock.advance(CVozorPlayerDlg::kPlayingCheckMs - 1);
    EXPECT_FALSE(m_ui.controlCalls().contains(QStringLiteral("105 int:2")));
    m_clock.advance(1);
    EXPECT_EQ(m_ui.controlCalls(), QStringList{QStringLiteral("105 int:2")});
}
