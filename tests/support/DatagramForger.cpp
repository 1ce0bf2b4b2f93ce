#include "support/DatagramForger.h"

#include "platform/UdpSocket.h"

#include <arpa/inet.h>

#include <chrono>

DatagramForger::DatagramForger(QByteArray datagram, std::uint32_t address, std::uint16_t port) {
    m_thread = std::thread([this, datagram = std::move(datagram), address, port] {
        UdpSocket socket;
        if (!socket.bind(htonl(INADDR_LOOPBACK), 0)) {
            return;
        }
        while (!m_stop.load()) {
            if (socket.sendTo(datagram, address, port)) {
                ++m_sent;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
}

DatagramForger::~DatagramForger() {
    m_stop = true;
    m_thread.join();
}
