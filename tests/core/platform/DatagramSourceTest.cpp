#include "platform/UdpSocket.h"
#include "service/BalanceQuery.h"
#include "service/ServiceState.h"
#include "support/RefService.h"
#include "update/UpdateCheck.h"

#include <gtest/gtest.h>

TEST(DatagramSource, ClientsOfTwoLoopbackServicesHoldTheirPortsAtOnceAndHearTheirOwnService) {
    RefService first;
    RefService second;
    ASSERT_TRUE(first.running() && second.running());
    ASSERT_NE(first.address(), second.address());

    // The first service's client holds both its fixed ports, as in an update check and a
    // balance query.
    const std::uint32_t firstSource = UdpSocket::sourceAddressFor(first.address());
    UdpSocket update;
    UdpSocket balance;
    ASSERT_TRUE(update.bind(firstSource, UpdateCheck::kPort));
    ASSERT_TRUE(balance.bind(firstSource, BalanceQuery::kLocalPort));

    // Meanwhile the second service's client asks both its questions and hears both answers.
    ServiceState state;
    state.setServerIp(second.address());
    EXPECT_FALSE(UpdateCheck::askOnce(state, 2000).isEmpty());
    const BalanceQuery::Answer answer = BalanceQuery::QueryBalance(
        state, QStringLiteral("demo@velo.example"), QStringLiteral("demo1234"));
    EXPECT_EQ(answer.outcome, BalanceQuery::Outcome::Answered) << answer.reply.toStdString();

    // The first service answers the address and port its question came from, from its own.
    for (UdpSocket* socket : {&update, &balance}) {
        const QByteArray question =
            socket == &update ? UpdateCheck::query()
                              : BalanceQuery::BalanceRequest(QStringLiteral("demo@velo.example"),
                                                             QStringLiteral("demo1234"));
        ASSERT_TRUE(socket->sendTo(question, first.address(), BalanceQuery::kServicePort));
        ASSERT_TRUE(socket->waitReadable(2000)) << socket->localPort();
        std::uint32_t from = 0;
        std::uint16_t fromPort = 0;
        const std::optional<QByteArray> reply = socket->receive(512, &from, &fromPort);
        ASSERT_TRUE(reply.has_value());
        EXPECT_TRUE(reply->startsWith('^')) << reply->constData();
        EXPECT_EQ(from, first.address());
        EXPECT_EQ(fromPort, BalanceQuery::kServicePort);
    }
    EXPECT_EQ(first.datagrams(QStringLiteral("001")), 1);
    EXPECT_EQ(first.datagrams(QStringLiteral("002")), 1);
    EXPECT_EQ(second.datagrams(QStringLiteral("001")), 1);
    EXPECT_EQ(second.datagrams(QStringLiteral("002")), 1);
}
