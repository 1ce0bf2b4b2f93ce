#include "service/BalanceQuery.h"

#include "platform/UdpSocket.h"
#include "service/ServiceState.h"
#include "support/DatagramForger.h"
#include "support/RefService.h"

#include <QElapsedTimer>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

class BalanceQueryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_service.running());
        m_state.setServerIp(m_service.address());
        signIn(QStringLiteral("demo@velo.example"), QStringLiteral("demo1234"));
    }
    void signIn(const QString& id, const QString& password) {
        m_id = id;
        m_password = password;
    }
    BalanceQuery::Answer query() const {
        return BalanceQuery::QueryBalance(m_state, m_id, m_password);
    }
    void scriptAnswer(const QByteArray& datagram) {
        m_service.script(QStringLiteral("udp:002"), QStringLiteral("reply"), datagram);
    }

    RefService m_service;
    ServiceState m_state;
    QString m_id;
    QString m_password;
};

}  // namespace

TEST(BalanceQueryEscape, FieldSeparatorsAreEscapedButPercentIsNot) {
    EXPECT_EQ(BalanceQuery::EscapeField(QStringLiteral("a^b$c|d#e%7C")),
              QStringLiteral("a%5Eb%24c%7Cd%23e%7C"));
    EXPECT_EQ(BalanceQuery::BalanceRequest(QStringLiteral("id"), QStringLiteral("p|w")),
              QByteArray("^002|1#id|p%7Cw$\0", 17));
    // The text may hold 511 bytes: "^002|1#" + id + "|" + password + "$" is 9 bytes more.
    EXPECT_FALSE(BalanceQuery::BalanceRequest(QString(251, 'i'), QString(251, 'p')).isEmpty());
    EXPECT_TRUE(BalanceQuery::BalanceRequest(QString(251, 'i'), QString(252, 'p')).isEmpty());
}

TEST(BalanceQueryAnswer, ReadsTheValueOnlyFromAPositiveFramedAnswer) {
    const struct {
        QString reply;
        bool ok;
        int seconds;
        BalanceQuery::Outcome outcome;
    } cases[] = {
        {QStringLiteral("^1|3600000$"), true, 3600, BalanceQuery::Outcome::Answered},
        {QStringLiteral("^^1|59999$$"), true, 59, BalanceQuery::Outcome::Answered},
        {QStringLiteral("^1|0$"), true, 0, BalanceQuery::Outcome::Answered},
        {QStringLiteral("^0|3600000$"), false, 0, BalanceQuery::Outcome::NoValue},
        {QStringLiteral("^$"), false, 0, BalanceQuery::Outcome::NoValue},
        {QStringLiteral("^1$"), false, 0, BalanceQuery::Outcome::Malformed},
        {QStringLiteral("1|5000$"), false, 0, BalanceQuery::Outcome::Malformed},
        {QStringLiteral("^1|5000"), false, 0, BalanceQuery::Outcome::Malformed},
    };
    for (const auto& c : cases) {
        int seconds = -99;
        BalanceQuery::Outcome outcome{};
        EXPECT_EQ(BalanceQuery::ParseBalanceAnswer(c.reply, seconds, outcome), c.ok)
            << c.reply.toStdString();
        EXPECT_EQ(outcome, c.outcome) << c.reply.toStdString();
        if (c.ok) {
            EXPECT_EQ(seconds, c.seconds) << c.reply.toStdString();
        }
    }
}

TEST_F(BalanceQueryTest, AnswerCarriesTheUseTime) {
    const BalanceQuery::Answer answer = query();
    EXPECT_EQ(answer.outcome, BalanceQuery::Outcome::Answered) << answer.reply.toStdString();
    EXPECT_EQ(answer.useTime, 36000);
    EXPECT_EQ(m_service.lastDatagram(QStringLiteral("002")),
              QStringLiteral("^002|1#demo@velo.example|demo1234$"));

    signIn(QStringLiteral("empty@velo.example"), QStringLiteral("empty1234"));
    const BalanceQuery::Answer empty = query();
    EXPECT_EQ(empty.outcome, BalanceQuery::Outcome::Answered);
    EXPECT_EQ(empty.useTime, 0);
}

TEST_F(BalanceQueryTest, SeparatorsInThePasswordTravelEscaped) {
    signIn(QStringLiteral("pipe@velo.example"), QStringLiteral("a|b#c"));
    query();
    EXPECT_EQ(m_service.lastDatagram(QStringLiteral("002")),
              QStringLiteral("^002|1#pipe@velo.example|a%7Cb%23c$"));
}

TEST_F(BalanceQueryTest, FailuresCarryNoUseTime) {
    scriptAnswer("^0$");
    EXPECT_EQ(query().outcome, BalanceQuery::Outcome::NoValue);
    scriptAnswer("no frame");
    EXPECT_EQ(query().outcome, BalanceQuery::Outcome::Malformed);
    m_service.script(QStringLiteral("udp:002"), QStringLiteral("garbage"));
    EXPECT_NE(query().outcome, BalanceQuery::Outcome::Answered);
    m_service.script(QStringLiteral("udp:002"), QStringLiteral("silence"));
    const BalanceQuery::Answer silent = query();
    EXPECT_EQ(silent.outcome, BalanceQuery::Outcome::NoAnswer);
    EXPECT_EQ(silent.useTime, 0);

    // Too long to send: nothing goes out.
    const int before = m_service.datagrams(QStringLiteral("002"));
    signIn(QString(300, QLatin1Char('i')), QString(300, QLatin1Char('p')));
    EXPECT_EQ(query().outcome, BalanceQuery::Outcome::TooLong);
    EXPECT_EQ(m_service.datagrams(QStringLiteral("002")), before);
}

TEST_F(BalanceQueryTest, TakenLocalPortFailsTheQuery) {
    // Another program holds the port on the address the client sends from.
    UdpSocket other;
    ASSERT_TRUE(
        other.bind(UdpSocket::sourceAddressFor(m_service.address()), BalanceQuery::kLocalPort));
    EXPECT_EQ(query().outcome, BalanceQuery::Outcome::SendFailed);
    other.close();
    EXPECT_EQ(query().outcome, BalanceQuery::Outcome::Answered);
}

TEST_F(BalanceQueryTest, NoServerAddressYetSendsNothing) {
    // Address 0 would be delivered to this machine, to 127.0.0.1: the password must not go
    // there. The watch shares its port, so that another test run on the machine can watch too.
    const int local = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(local, 0);
    const int on = 1;
    ::setsockopt(local, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in watched{};
    watched.sin_family = AF_INET;
    watched.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    watched.sin_port = htons(BalanceQuery::kServicePort);
    ASSERT_EQ(::bind(local, reinterpret_cast<const sockaddr*>(&watched), sizeof watched), 0)
        << "another program holds 127.0.0.1:35000 for itself";
    const int before = m_service.datagrams(QStringLiteral("002"));
    m_state.setServerIp(0);
    const BalanceQuery::Answer answer = query();
    EXPECT_EQ(answer.outcome, BalanceQuery::Outcome::NoServer);
    pollfd entry{local, POLLIN, 0};
    EXPECT_EQ(::poll(&entry, 1, 200), 0);
    ::close(local);
    EXPECT_EQ(m_service.datagrams(QStringLiteral("002")), before);
}

TEST_F(BalanceQueryTest, OnlyTheServiceHostsAnswerCounts) {
    // The service answers late; meanwhile another program keeps offering a better answer.
    m_service.script(QStringLiteral("udp:002"), QStringLiteral("delay"), {}, 0, 400);
    const std::uint32_t client = UdpSocket::sourceAddressFor(m_service.address());
    DatagramForger forger("^1|99000000$", client, BalanceQuery::kLocalPort);
    const BalanceQuery::Answer answer = query();
    EXPECT_GT(forger.sent(), 0);
    EXPECT_EQ(answer.outcome, BalanceQuery::Outcome::Answered) << answer.reply.toStdString();
    EXPECT_EQ(answer.useTime, 36000);
}
