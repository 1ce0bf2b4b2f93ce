#include "platform/IcmpEcho.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>

namespace IcmpEcho {

namespace {

// Closes a descriptor on every path out of the scope that opened it.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor(Descriptor&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    int get() const { return m_fd; }

private:
    int m_fd;
};

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

std::uint16_t checksum(const std::uint8_t* data, std::size_t length) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 1 < length; i += 2) {
        sum += static_cast<std::uint32_t>(data[i] << 8 | data[i + 1]);
    }
    if (length % 2 != 0) {
        sum += static_cast<std::uint32_t>(data[length - 1] << 8);
    }
    while (sum >> 16 != 0) {
        sum = (sum & 0xffff) + (sum >> 16);
    }
    return static_cast<std::uint16_t>(~sum);
}

QByteArray echoRequest(std::uint16_t id, std::uint16_t sequence, const QByteArray& data) {
    QByteArray packet(8, '\0');
    packet[0] = ICMP_ECHO;
    packet[4] = static_cast<char>(id >> 8);
    packet[5] = static_cast<char>(id & 0xff);
    packet[6] = static_cast<char>(sequence >> 8);
    packet[7] = static_cast<char>(sequence & 0xff);
    packet += data;
    const std::uint16_t sum = checksum(reinterpret_cast<const std::uint8_t*>(packet.constData()),
                                       static_cast<std::size_t>(packet.size()));
    packet[2] = static_cast<char>(sum >> 8);
    packet[3] = static_cast<char>(sum & 0xff);
    return packet;
}

// Sends the request on FD and waits for the matching echo reply. Raw sockets see every ICMP
// packet of the machine with its IP header, ping sockets only their own replies without it.
bool exchange(int fd, bool raw, std::uint32_t address, const QByteArray& data, int timeoutMs) {
    std::random_device seed;
    const auto id = static_cast<std::uint16_t>(seed());
    const std::uint16_t sequence = 1;
    const QByteArray request = echoRequest(id, sequence, data);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = address;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    if (::sendto(fd, request.constData(), static_cast<std::size_t>(request.size()), 0,
                 reinterpret_cast<const sockaddr*>(&to), sizeof to) != request.size()) {
        return false;
    }
    std::uint8_t reply[1500];
    for (;;) {
        pollfd entry{fd, POLLIN, 0};
        const int ready = ::poll(&entry, 1, remainingMs(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return false;
        }
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t received =
            ::recvfrom(fd, reply, sizeof reply, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (received <= 0) {
            continue;
        }
        std::size_t offset = 0;
        if (raw) {
            offset = static_cast<std::size_t>(reply[0] & 0x0f) * 4;
            if (from.sin_addr.s_addr != address) {
                continue;
            }
        }
        if (static_cast<std::size_t>(received) < offset + 8) {
            continue;
        }
        const std::uint8_t* icmp = reply + offset;
        const bool isReply = icmp[0] == ICMP_ECHOREPLY;
        const auto replySequence = static_cast<std::uint16_t>(icmp[6] << 8 | icmp[7]);
        const auto replyId = static_cast<std::uint16_t>(icmp[4] << 8 | icmp[5]);
        // The kernel picks the identifier of a ping socket and matches it itself.
        if (isReply && replySequence == sequence && (!raw || replyId == id)) {
            return true;
        }
    }
}

bool tcpAnswers(std::uint32_t address, const std::vector<std::uint16_t>& ports, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::vector<Descriptor> sockets;
    std::vector<pollfd> waiting;
    for (const std::uint16_t port : ports) {
        Descriptor fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (fd.get() < 0) {
            continue;
        }
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = address;
        to.sin_port = htons(port);
        const int result = ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&to), sizeof to);
        if (result == 0 || errno == ECONNREFUSED) {
            return true;
        }
        if (errno == EINPROGRESS) {
            waiting.push_back({fd.get(), POLLOUT, 0});
            sockets.push_back(std::move(fd));
        }
    }
    while (!waiting.empty()) {
        const int ready = ::poll(waiting.data(), waiting.size(), remainingMs(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return false;
        }
        for (std::size_t i = 0; i < waiting.size();) {
            if (waiting[i].revents == 0) {
                ++i;
                continue;
            }
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(waiting[i].fd, SOL_SOCKET, SO_ERROR, &error, &length);
            // Connected, or actively refused: either way the host is there.
            if (error == 0 || error == ECONNREFUSED) {
                return true;
            }
            waiting.erase(waiting.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    return false;
}

}  // namespace

Result ping(std::uint32_t address, const QByteArray& data, int timeoutMs,
            const std::vector<std::uint16_t>& tcpPorts) {
    Descriptor pingSocket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP));
    if (pingSocket.get() >= 0) {
        return {exchange(pingSocket.get(), false, address, data, timeoutMs), Method::PingSocket};
    }
    Descriptor rawSocket(::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP));
    if (rawSocket.get() >= 0) {
        return {exchange(rawSocket.get(), true, address, data, timeoutMs), Method::RawSocket};
    }
    return {tcpAnswers(address, tcpPorts, timeoutMs), Method::TcpConnect};
}

}  // namespace IcmpEcho
