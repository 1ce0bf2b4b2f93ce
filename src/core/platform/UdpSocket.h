#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>

// A UDP socket over IPv4 for the service's datagram queries. The client's local ports are fixed
// and bound without address reuse, so no other program can share them and read the replies.
// Closed when destroyed.
class UdpSocket {
public:
    UdpSocket() = default;
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    // Binds to ADDRESS (network byte order; 0 for any) and PORT.
    bool bind(std::uint32_t address, std::uint16_t port);
    bool sendTo(const QByteArray& datagram, std::uint32_t address, std::uint16_t port);
    // Waits up to TIMEOUTMS for a datagram; false on time-out or error.
    bool waitReadable(int timeoutMs);
    // One datagram, cut to MAXBYTES (possibly empty); none when the socket failed.
    std::optional<QByteArray> receive(int maxBytes, std::uint32_t* fromAddress = nullptr,
                                      std::uint16_t* fromPort = nullptr);
    bool isOpen() const { return m_fd >= 0; }
    // The port the socket is bound to (the one the system chose for port 0); 0 when unbound.
    std::uint16_t localPort() const;
    void close();
    int descriptor() const { return m_fd; }

    // The local address the client sends its datagrams from to reach DESTINATION (both in
    // network byte order); 0 when there is no route. Binding to it rather than to any address
    // lets the client's fixed ports live beside a service on another address of the same
    // machine. For a service elsewhere it is the system's choice of route. For a service on a
    // loopback address from 127.0.0.2 to 127.255.255.253 it is that address's partner, the
    // address with its lowest bit flipped (127.0.0.2 and 127.0.0.3, 127.16.0.4 and 127.16.0.5):
    // never the service's own address, whose port 35000 the service holds, and never
    // 127.0.0.1, so clients of services on different loopback addresses never share a port.
    static std::uint32_t sourceAddressFor(std::uint32_t destination);

private:
    int m_fd = -1;
};
