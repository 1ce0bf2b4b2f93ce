#include "session/ClientSession.h"

#include "catalogue/ChannelList.h"
#include "catalogue/ChannelSearch.h"
#include "service/SessionRecord.h"
#include "session/AppContext.h"
#include "session/ConfigFile.h"
#include "session/SavedLogin.h"
#include "support/ManualClock.h"
#include "support/QtWait.h"
#include "support/RefService.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class ClientSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_service.running());
        m_context.m_strExeDir = m_service.programFolder();
        m_context.service->setServerIp(m_service.address());
    }
    SessionRecord& record() { return m_context.session; }
    void remember(const QString& id, const QString& password, const QDate& day) {
        ConfigFile(m_service.programFolder())
            .writeUserInfo(SavedLogin::MakeRecord(id, password, day));
    }

    ManualClock m_clock;
    RefService m_service;
    AppContext m_context{QString(), m_clock};
    ClientSession m_session{m_context};
};

}  // namespace

TEST_F(ClientSessionTest, RememberedLoginSignsInAndStartsTheBalanceCheckUntilItExpires) {
    remember(QStringLiteral("demo@velo.example"), QStringLiteral("demo1234"), m_clock.now().date());
    QSignalSpy finished(&m_session, &ClientSession::autoSignInFinished);
    m_session.startAutoSignIn();
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(finished.front().front().toBool());
    EXPECT_EQ(record().IsSignedIn(), 1);
    EXPECT_EQ(record().GetUserId(), QStringLiteral("demo@velo.example"));
    EXPECT_EQ(record().GetDisplayName(), QStringLiteral("デモユーザー"));
    EXPECT_EQ(record().GetPassword(), QStringLiteral("demo1234"));
    EXPECT_EQ(record().GetUseTime(), 36000);
    EXPECT_TRUE(m_session.useTimeTimerActive());

    // Thirty days on, the remembered login is no longer used: nothing is sent.
    record().SetSignedIn(0);
    m_session.stopUseTimeTimer();
    m_clock.setNow(m_clock.now().addDays(30));
    const int logins = m_service.requests(QStringLiteral("/user!login.action"));
    m_session.startAutoSignIn();
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_FALSE(finished.back().front().toBool());
    EXPECT_EQ(record().IsSignedIn(), 0);
    EXPECT_FALSE(m_session.useTimeTimerActive());
    EXPECT_EQ(m_service.requests(QStringLiteral("/user!login.action")), logins);
}

TEST_F(ClientSessionTest, BalanceIsAskedEveryTwoMinutesWithTheCredentialsOfThatMoment) {
    m_session.recordSignIn(QStringLiteral("empty@velo.example"), QStringLiteral("empty"),
                           QStringLiteral("empty1234"));
    record().SetUseTime(100);
    QSignalSpy exhausted(&m_session, &ClientSession::useTimeExhausted);
    m_session.startUseTimeTimer();
    m_clock.advance(ClientSession::kUseTimeTimerMs - 1);
    EXPECT_FALSE(m_session.balancePending());
    m_clock.advance(1);
    ASSERT_TRUE(m_session.balancePending());
    // The query took its copy: a change to the record now does not reach it.
    m_session.recordSignIn(QStringLiteral("demo@velo.example"), QStringLiteral("demo"),
                           QStringLiteral("demo1234"));
    ASSERT_TRUE(exhausted.wait(10000));
    EXPECT_EQ(record().GetUseTime(), 0);
    EXPECT_EQ(m_service.lastDatagram(QStringLiteral("002")),
              QStringLiteral("^002|1#empty@velo.example|empty1234$"));

    // The next round asks for the account signed in by then, which has time left.
    m_clock.advance(ClientSession::kUseTimeTimerMs);
    ASSERT_SOON(!m_session.balancePending(), 10000);
    EXPECT_EQ(record().GetUseTime(), 36000);
    EXPECT_EQ(exhausted.size(), 1);
    EXPECT_TRUE(m_session.useTimeTimerActive()) << "the check goes on";
}

TEST_F(ClientSessionTest, UnansweredBalanceQueryLeavesTheUseTimeAlone) {
    m_session.recordSignIn(QStringLiteral("demo@velo.example"), QStringLiteral("demo"),
                           QStringLiteral("demo1234"));
    record().SetUseTime(77);
    m_service.script(QStringLiteral("udp:002"), QStringLiteral("silence"));
    QSignalSpy exhausted(&m_session, &ClientSession::useTimeExhausted);
    m_session.checkUseTime();
    m_session.checkUseTime();  // one query at a time
    ASSERT_SOON(!m_session.balancePending(), 10000);
    EXPECT_EQ(record().GetUseTime(), 77);
    EXPECT_TRUE(exhausted.isEmpty());
    EXPECT_EQ(m_service.datagrams(QStringLiteral("002")), 1);
}

TEST_F(ClientSessionTest, SignOutNeedsTheServerButTheCloseSignsOutAnyway) {
    m_session.recordSignIn(QStringLiteral("demo@velo.example"), QStringLiteral("demo"),
                           QStringLiteral("demo1234"));
    m_session.startUseTimeTimer();
    m_service.configure(QStringLiteral("ServerUrl"),
                        QStringLiteral("http://%1:1").arg(m_service.host()));
    QSignalSpy signedOut(&m_session, &ClientSession::signOutFinished);
    m_session.signOut();
    EXPECT_TRUE(m_session.signOutPending());
    ASSERT_TRUE(signedOut.wait(10000));
    EXPECT_FALSE(signedOut.front().front().toBool());
    EXPECT_EQ(record().IsSignedIn(), 1);
    EXPECT_TRUE(m_session.useTimeTimerActive());

    bool closed = false;
    m_session.signOutForClose([&closed] { closed = true; });
    EXPECT_FALSE(m_session.useTimeTimerActive());
    ASSERT_SOON(closed, 10000);
    EXPECT_EQ(record().IsSignedIn(), 0);

    // Nobody signed in: the close goes on at once.
    bool again = false;
    m_session.signOutForClose([&again] { again = true; });
    EXPECT_TRUE(again);
}

TEST_F(ClientSessionTest, TheEndOfARunWaitsBrieflyForAnExchangeThatStalls) {
    m_session.recordSignIn(QStringLiteral("demo@velo.example"), QStringLiteral("demo"),
                           QStringLiteral("demo1234"));
    m_service.script(QStringLiteral("/user!logout.action"), QStringLiteral("delay"), {}, 0, 3000);
    bool closed = false;
    m_session.signOutForClose([&closed] { closed = true; });
    QElapsedTimer waited;
    waited.start();
    EXPECT_FALSE(m_session.waitForExchanges(200));
    EXPECT_LT(waited.elapsed(), 2000);
    EXPECT_FALSE(closed);
    // The exchange still ends in its own time and is applied.
    ASSERT_SOON(closed, 15000);
    EXPECT_EQ(record().IsSignedIn(), 0);
}

TEST_F(ClientSessionTest, ALoginWhoseAskerIsGoneRecordsNothing) {
    auto* asker = new QObject;
    bool answered = false;
    m_session.signIn(QStringLiteral("demo@velo.example"), QStringLiteral("demo1234"), asker,
                     [&answered](const ClientSession::LoginResult&) { answered = true; });
    delete asker;
    // The login the server granted is taken back, since nobody shows it.
    EXPECT_EQ_SOON(m_service.requests(QStringLiteral("/user!login.action")), 1, 10000);
    EXPECT_EQ_SOON(m_service.requests(QStringLiteral("/user!logout.action")), 1, 10000);
    EXPECT_FALSE(answered);
    EXPECT_EQ(record().IsSignedIn(), 0);

    // With the asker there, the login is recorded before it hears of it.
    QObject present;
    int signedInWhenAnswered = -1;
    m_session.signIn(QStringLiteral("demo@velo.example"), QStringLiteral("demo1234"), &present,
                     [&](const ClientSession::LoginResult& result) {
                         EXPECT_TRUE(result.ok) << result.message.toStdString();
                         signedInWhenAnswered = record().IsSignedIn();
                     });
    EXPECT_EQ_SOON(signedInWhenAnswered, 1, 10000);
    EXPECT_EQ(record().GetDisplayName(), QStringLiteral("デモユーザー"));
}

TEST_F(ClientSessionTest, ChannelListComesWithTheListsReadFromIt) {
    QSignalSpy fetched(&m_session, &ClientSession::channelListFetched);
    m_session.fetchChannelList(true);
    ASSERT_TRUE(fetched.wait(20000));
    const auto result = fetched.front().front().value<ClientSession::ChannelListResult>();
    EXPECT_TRUE(result.downloaded);
    EXPECT_EQ(result.sets, 3);
    ASSERT_TRUE(result.lists);
    EXPECT_EQ(result.lists->groupSets.size(), 3u);
    // The search index comes made, over the very records of the list.
    ASSERT_TRUE(result.search);
    ASSERT_EQ(result.search->size(), static_cast<int>(result.lists->channels.size()));
    EXPECT_EQ(result.search->channel(0), result.lists->channels.front().get());
    EXPECT_TRUE(fetched.front().back().toBool()) << "the retry flag comes back";
    EXPECT_EQ(m_context.service->uuid().size(), 32);
}
