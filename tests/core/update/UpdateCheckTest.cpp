#include "update/UpdateCheck.h"

#include "platform/UdpSocket.h"
#include "service/ServiceState.h"
#include "support/DatagramForger.h"
#include "support/RefService.h"
#include "update/DatagramReply.h"

#include <arpa/inet.h>

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

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_service.running());
        m_state->setServerIp(m_service.address());
        m_check.setTiming({10, 500, 10});
    }
    UpdateCheck::End run() {
        return m_check.run(
            {[this](const QString& text2) { m_balloon = text2; }, [this] { ++m_mandatory; }});
    }

    RefService m_service;
    std::shared_ptr<ServiceState> m_state = std::make_shared<ServiceState>();
    UpdateCheck m_check{m_state};
    QString m_balloon;
    int m_mandatory = 0;
};

}  // namespace

TEST_F(UpdateCheckTest, NewVersionShowsTheBalloonText) {
    m_service.setUpdate(QStringLiteral("new"), QStringLiteral("1.7.0"),
                        QStringLiteral("新機能#修正#"));
    EXPECT_EQ(run(), UpdateCheck::End::Answered);
    EXPECT_EQ(m_balloon, QStringLiteral("新機能#修正#"));
    EXPECT_EQ(m_mandatory, 0);
    EXPECT_EQ(m_service.lastDatagram(QStringLiteral("001")), QStringLiteral("^001|1#1.6.0.7|cn$"));
}

TEST_F(UpdateCheckTest, MandatoryUpdateRunsThePrompt) {
    m_service.setUpdate(QStringLiteral("mandatory"), QStringLiteral("2.0"), QStringLiteral("x"));
    EXPECT_EQ(run(), UpdateCheck::End::Answered);
    EXPECT_EQ(m_mandatory, 1);
    EXPECT_TRUE(m_balloon.isEmpty());
}

TEST_F(UpdateCheckTest, NegativeAnswerEndsQuietly) {
    EXPECT_EQ(run(), UpdateCheck::End::Declined);
    EXPECT_EQ(m_check.queriesSent(), 1);
    EXPECT_EQ(m_mandatory, 0);
    EXPECT_TRUE(m_balloon.isEmpty());
}

TEST_F(UpdateCheckTest, SilenceAndNonsenseAreAskedAgain) {
    m_service.setUpdate(QStringLiteral("new"), QStringLiteral("1.7.0"), QStringLiteral("b"));
    m_service.script(QStringLiteral("udp:001"), QStringLiteral("silence"));
    m_service.script(QStringLiteral("udp:001"), QStringLiteral("reply"), "^1|a|b$");
    m_service.script(QStringLiteral("udp:001"), QStringLiteral("garbage"));
    EXPECT_EQ(run(), UpdateCheck::End::Answered);
    EXPECT_EQ(m_check.queriesSent(), 4);
    EXPECT_EQ(m_balloon, QStringLiteral("b"));
}

TEST_F(UpdateCheckTest, StopEndsTheWaitAtOnce) {
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
    EXPECT_EQ(run(), UpdateCheck::End::Stopped);
    stopper.join();
}

TEST_F(UpdateCheckTest, ForgedRepliesCannotForceAnUpdate) {
    // The service's "no" comes late; another program keeps sending the mandatory answer.
    m_check.setTiming({10, 2000, 10});
    m_service.script(QStringLiteral("udp:001"), QStringLiteral("delay"), {}, 0, 400);
    const std::uint32_t client = UdpSocket::sourceAddressFor(m_service.address());
    DatagramForger forger("^1|a|b|1$", client, UpdateCheck::kPort);
    EXPECT_EQ(run(), UpdateCheck::End::Declined);
    EXPECT_GT(forger.sent(), 0);
    EXPECT_EQ(m_mandatory, 0);
    EXPECT_EQ(m_check.queriesSent(), 1) << "the forged datagrams did not count as replies";
}

TEST_F(UpdateCheckTest, WithoutAServerAddressNothingIsSentUntilThereIsOne) {
    m_state->setServerIp(0);
    m_check.setTiming({10, 50, 10});
    std::thread resolver([this] {
        // The check goes round a few times without an address (not a wait for anything), then
        // the ticket request resolves the host.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        m_state->setServerIp(m_service.address());
    });
    EXPECT_EQ(run(), UpdateCheck::End::Declined);
    resolver.join();
    EXPECT_EQ(m_check.queriesSent(), 1) << "nothing went out before the address was known";
    EXPECT_EQ(m_service.datagrams(QStringLiteral("001")), 1);
}
