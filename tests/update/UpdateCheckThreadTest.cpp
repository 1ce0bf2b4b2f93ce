#include "update/UpdateCheckThread.h"

#include "service/ServiceState.h"
#include "support/RefService.h"
#include "update/DatagramReply.h"

#include <gtest/gtest.h>

#include <thread>

TEST(DatagramReply, ParsesUpdateRepliesAndTellsRetryFromRefusal) {
    const struct {
        QString reply;
        int result;
        int retry;
        int flag;
        QString text2;
    } cases[] = {
        {QStringLiteral("^1|a|b#|1$"), 1, -1, 1, QStringLiteral("b#")},
        {QStringLiteral("^1|a|b#|2$"), 1, -1, 0, QStringLiteral("b#")},
        {QStringLiteral("^1|a|b#|$"), 1, -1, 0, QStringLiteral("b#")},
        {QStringLiteral("^^1|a|b|1|x$$"), 1, -1, 0, QStringLiteral("b")},
        {QStringLiteral("^0$"), 0, 0, -1, {}},
        {QStringLiteral("^0|a|b|1$"), 0, 0, -1, {}},
        {QStringLiteral("^1|a|b$"), 0, 1, -1, {}},
        {QStringLiteral("1|a|b|1$"), 0, 1, -1, {}},
        {QStringLiteral("^1|a|b|1"), 0, 1, -1, {}},
        {QString(), 0, 1, -1, {}},
    };
    for (const auto& c : cases) {
        QString text1;
        QString text2;
        int retry = -1;
        int flag = -1;
        EXPECT_EQ(DatagramReply::ParseDatagramReply(c.reply, text1, text2, retry, flag), c.result)
            << c.reply.toStdString();
        EXPECT_EQ(retry, c.retry) << c.reply.toStdString();
        EXPECT_EQ(flag, c.flag) << c.reply.toStdString();
        if (c.result == 1) {
            EXPECT_EQ(text1, QStringLiteral("a"));
            EXPECT_EQ(text2, c.text2);
        }
    }
}

namespace {

class UpdateCheckThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_service.running());
        m_state->setServerIp(m_service.address());
        m_check.setTiming({10, 500, 10});
    }
    UpdateCheckThread::End run() {
        return m_check.run({[this](const QString& text2) { m_balloon = text2; },
                            [this] { ++m_mandatory; }});
    }

    RefService m_service;
    std::shared_ptr<ServiceState> m_state = std::make_shared<ServiceState>();
    UpdateCheckThread m_check{m_state};
    QString m_balloon;
    int m_mandatory = 0;
};

}  // namespace

TEST_F(UpdateCheckThreadTest, NewVersionShowsTheBalloonText) {
    m_service.setUpdate(QStringLiteral("new"), QStringLiteral("1.7.0"),
                        QStringLiteral("新機能#修正#"));
    EXPECT_EQ(run(), UpdateCheckThread::End::Answered);
    EXPECT_EQ(m_balloon, QStringLiteral("新機能#修正#"));
    EXPECT_EQ(m_mandatory, 0);
    EXPECT_EQ(m_service.lastDatagram(QStringLiteral("001")), QStringLiteral("^001|1#1.6.0.7|cn$"));
}

TEST_F(UpdateCheckThreadTest, MandatoryUpdateRunsThePrompt) {
    m_service.setUpdate(QStringLiteral("mandatory"), QStringLiteral("2.0"), QStringLiteral("x"));
    EXPECT_EQ(run(), UpdateCheckThread::End::Answered);
    EXPECT_EQ(m_mandatory, 1);
    EXPECT_TRUE(m_balloon.isEmpty());
}

TEST_F(UpdateCheckThreadTest, NegativeAnswerEndsQuietly) {
    EXPECT_EQ(run(), UpdateCheckThread::End::Declined);
    EXPECT_EQ(m_check.queriesSent(), 1);
    EXPECT_EQ(m_mandatory, 0);
    EXPECT_TRUE(m_balloon.isEmpty());
}

TEST_F(UpdateCheckThreadTest, SilenceAndNonsenseAreAskedAgain) {
    m_service.setUpdate(QStringLiteral("new"), QStringLiteral("1.7.0"), QStringLiteral("b"));
    m_service.script(QStringLiteral("udp:001"), QStringLiteral("silence"));
    m_service.script(QStringLiteral("udp:001"), QStringLiteral("reply"), "^1|a|b$");
    m_service.script(QStringLiteral("udp:001"), QStringLiteral("garbage"));
    EXPECT_EQ(run(), UpdateCheckThread::End::Answered);
    EXPECT_EQ(m_check.queriesSent(), 4);
    EXPECT_EQ(m_balloon, QStringLiteral("b"));
}

TEST_F(UpdateCheckThreadTest, StopEndsTheWaitAtOnce) {
    m_check.setTiming({10, 60000, 1000});
    m_service.script(QStringLiteral("udp:001"), QStringLiteral("silence"), {}, 0, 0, 10);
    // Stopped once the query is out and the check sits in its wait for the reply.
    std::thread stopper([this] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (m_check.queriesSent() == 0 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
        m_check.stop();
    });
    // Without the stop the check would sit out its minute and then be told "no".
    EXPECT_EQ(run(), UpdateCheckThread::End::Stopped);
    stopper.join();
}
