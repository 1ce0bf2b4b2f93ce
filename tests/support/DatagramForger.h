#pragma once

#include <QByteArray>

#include <atomic>
#include <cstdint>
#include <thread>

// Another program on this machine that keeps sending DATAGRAM to a port of the client's, from a
// port of its own, every few milliseconds until it is destroyed.
class DatagramForger {
public:
    // ADDRESS in network byte order.
    DatagramForger(QByteArray datagram, std::uint32_t address, std::uint16_t port);
    ~DatagramForger();
    DatagramForger(const DatagramForger&) = delete;
    DatagramForger& operator=(const DatagramForger&) = delete;

    int sent() const { return m_sent.load(); }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_sent{0};
    std::thread m_thread;
};
