#include "platform/UdpSocket.h"

#include <arpa/inet.h>

#include <gtest/gtest.h>

namespace {

std::uint32_t loopback() {
    return htonl(INADDR_LOOPBACK);
}

}  // namespace

TEST(UdpSocket, DatagramsTravelWholeAndSayWhereTheyCameFrom) {
    UdpSocket receiver;
    ASSERT_TRUE(receiver.bind(loopback(), 0));
    const std::uint16_t port = receiver.localPort();
    ASSERT_NE(port, 0);
    UdpSocket sender;
    ASSERT_TRUE(sender.bind(loopback(), 0));

    const QByteArray datagram("^002|1#id|pw$\0", 14);
    ASSERT_TRUE(sender.sendTo(datagram, loopback(), port));
    ASSERT_TRUE(receiver.waitReadable(2000));
    std::uint32_t from = 0;
    std::uint16_t fromPort = 0;
    EXPECT_EQ(receiver.receive(512, &from, &fromPort), datagram) << "the zero byte travels too";
    EXPECT_EQ(from, loopback());
    EXPECT_EQ(fromPort, sender.localPort());

    // A longer datagram is cut to what the reader takes.
    ASSERT_TRUE(sender.sendTo(QByteArray(100, 'x'), loopback(), port));
    ASSERT_TRUE(receiver.waitReadable(2000));
    EXPECT_EQ(receiver.receive(10), QByteArray(10, 'x'));
}

TEST(UdpSocket, NothingToReadTimesOutAndAClosedSocketDoesNothing) {
    UdpSocket socket;
    ASSERT_TRUE(socket.bind(loopback(), 0));
    EXPECT_FALSE(socket.waitReadable(50));
    socket.close();
    EXPECT_FALSE(socket.isOpen());
    EXPECT_EQ(socket.localPort(), 0);
    EXPECT_FALSE(socket.waitReadable(0));
    EXPECT_FALSE(socket.sendTo("x", loopback(), 9));
    EXPECT_TRUE(socket.receive(10).isEmpty());
}
