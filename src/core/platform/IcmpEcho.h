#pragma once

#include <QByteArray>

#include <cstdint>
#include <vector>

// One echo request to a host and the wait for its answer. The unprivileged "ping" socket is
// tried first, then a raw socket; where the system allows neither, a TCP connection attempt to
// the given ports stands for the echo (a host that accepts or refuses the connection is there).
namespace IcmpEcho {

enum class Method { PingSocket, RawSocket, TcpConnect };

struct Result {
    bool answered = false;
    Method method = Method::PingSocket;
};

// ADDRESS in network byte order; DATA is the echo's payload.
Result ping(std::uint32_t address, const QByteArray& data, int timeoutMs,
            const std::vector<std::uint16_t>& tcpPorts);

}  // namespace IcmpEcho
