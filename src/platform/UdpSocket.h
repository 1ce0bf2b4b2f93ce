#pragma once

#include <QByteArray>

#include <cstdint>

// A UDP socket over IPv4 for the service's datagram queries. The client's local ports are fixed,
// so the socket is bound with address reuse: a service on the same machine, or a query still
// closing, does not keep the port from the next one. Closed when destroyed.
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
    // One datagram, cut to MAXBYTES; empty on error.
    QByteArray receive(int maxBytes, std::uint32_t* fromAddress = nullptr,
                       std::uint16_t* fromPort = nullptr);
    bool isOpen() const { return m_fd >= 0; }
    // The port the socket is bound to (the one the system chose for port 0); 0 when unbound.
    std::uint16_t localPort() const;
    void close();
    int descriptor() const { return m_fd; }

private:
    int m_fd = -1;
};
