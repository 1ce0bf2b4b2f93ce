#include "platform/UdpSocket.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
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
    for (const std::uint32_t address :
         {loopback(), static_cast<std::uint32_t>(htonl(INADDR_ANY))}) {
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

TEST(UdpSocket, ALoopbackServiceIsReachedFromItsPartnerAndAnyOtherByTheRoute) {
    // Inside 127.0.0.2-127.255.255.253 the partner is the address with its lowest bit flipped;
    // 127.0.0.1 and the two ends keep the system's answer, which is 127.0.0.1.
    const struct {
        const char* service;
        const char* source;
    } cases[] = {
        {"127.0.0.2", "127.0.0.3"},
        {"127.0.0.3", "127.0.0.2"},
        {"127.16.0.4", "127.16.0.5"},
        {"127.31.255.255", "127.31.255.254"},
        {"127.255.255.253", "127.255.255.252"},
        {"127.0.0.1", "127.0.0.1"},
        {"127.0.0.0", "127.0.0.1"},
        {"127.255.255.254", "127.0.0.1"},
    };
    for (const auto& c : cases) {
        const std::uint32_t source = UdpSocket::sourceAddressFor(inet_addr(c.service));
        EXPECT_EQ(source, inet_addr(c.source)) << c.service;
        UdpSocket bound;
        EXPECT_TRUE(bound.bind(source, 0)) << c.service << ": a source the client can bind";
    }
    EXPECT_EQ(UdpSocket::sourceAddressFor(inet_addr("127.255.255.255")), 0u)
        << "the broadcast address is no service";

    // A service on one of this machine's other addresses is reached from that address itself,
    // as the route says, not from a partner.
    ifaddrs* interfaces = nullptr;
    ASSERT_EQ(::getifaddrs(&interfaces), 0);
    for (const ifaddrs* entry = interfaces; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        const std::uint32_t own =
            reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr;
        if (ntohl(own) >> 24 != 127u) {
            EXPECT_EQ(UdpSocket::sourceAddressFor(own), own) << entry->ifa_name;
        }
    }
    ::freeifaddrs(interfaces);
}
