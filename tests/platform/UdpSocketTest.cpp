#include "platform/UdpSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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
    EXPECT_FALSE(socket.receive(10).has_value()) << "a closed socket is a failure, not silence";
}

TEST(UdpSocket, NoOtherSocketCanShareTheBoundPort) {
    UdpSocket client;
    ASSERT_TRUE(client.bind(loopback(), 0));
    const std::uint16_t port = client.localPort();
    // Another program asking for reuse still cannot take the port, on any address.
    const int other = ::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(other, 0);
    const int on = 1;
    ::setsockopt(other, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    for (const std::uint32_t address : {loopback(), static_cast<std::uint32_t>(htonl(INADDR_ANY))}) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = address;
        local.sin_port = htons(port);
        EXPECT_NE(::bind(other, reinterpret_cast<const sockaddr*>(&local), sizeof local), 0);
    }
    ::close(other);
    // Once the client's socket is closed, the port is free again at once.
    client.close();
    UdpSocket next;
    EXPECT_TRUE(next.bind(loopback(), port));
}

TEST(UdpSocket, TheSourceAddressIsTheOneTheSystemSendsFrom) {
    // Any loopback destination is reached from a loopback address; nothing is sent.
    const std::uint32_t source = UdpSocket::sourceAddressFor(inet_addr("127.0.0.2"));
    EXPECT_EQ(ntohl(source) >> 24, 127u);
    UdpSocket bound;
    EXPECT_TRUE(bound.bind(source, 0));
}
