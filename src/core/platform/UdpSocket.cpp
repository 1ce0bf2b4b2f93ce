#include "platform/UdpSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace {

// The loopback addresses whose partner (lowest bit flipped) is neither 127.0.0.0, 127.0.0.1
// nor the broadcast address 127.255.255.255, in host byte order.
constexpr std::uint32_t kFirstPairedLoopback = 0x7f000002u;
constexpr std::uint32_t kLastPairedLoopback = 0x7ffffffdu;

}  // namespace

UdpSocket::~UdpSocket() {
    close();
}

void UdpSocket::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool UdpSocket::bind(std::uint32_t address, std::uint16_t port) {
    close();
    m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0) {
        return false;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = address;
    local.sin_port = htons(port);
    if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        close();
        return false;
    }
    return true;
}

std::uint32_t UdpSocket::sourceAddressFor(std::uint32_t destination) {
    // The system says 127.0.0.1 for every loopback service: their clients' ports would collide.
    const std::uint32_t host = ntohl(destination);
    if (host >= kFirstPairedLoopback && host <= kLastPairedLoopback) {
        return htonl(host ^ 1u);
    }
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return 0;
    }
    // Connecting a datagram socket sends nothing; it only makes the system choose the route.
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = destination;
    to.sin_port = htons(9);
    sockaddr_in local{};
    socklen_t length = sizeof local;
    const bool found = ::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 &&
                       ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) == 0;
    ::close(fd);
    return found ? local.sin_addr.s_addr : 0;
}

std::uint16_t UdpSocket::localPort() const {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (m_fd < 0 || ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        return 0;
    }
    return ntohs(local.sin_port);
}

bool UdpSocket::sendTo(const QByteArray& datagram, std::uint32_t address, std::uint16_t port) {
    if (m_fd < 0) {
        return false;
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = address;
    to.sin_port = htons(port);
    const ssize_t sent =
        ::sendto(m_fd, datagram.constData(), static_cast<std::size_t>(datagram.size()), 0,
                 reinterpret_cast<const sockaddr*>(&to), sizeof to);
    return sent == datagram.size();
}

bool UdpSocket::waitReadable(int timeoutMs) {
    if (m_fd < 0) {
        return false;
    }
    pollfd entry{m_fd, POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, timeoutMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        return ready > 0 && (entry.revents & POLLIN) != 0;
    }
}

std::optional<QByteArray> UdpSocket::receive(int maxBytes, std::uint32_t* fromAddress,
                                             std::uint16_t* fromPort) {
    if (m_fd < 0 || maxBytes <= 0) {
        return std::nullopt;
    }
    QByteArray buffer(maxBytes, '\0');
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    ssize_t received = -1;
    do {
        received = ::recvfrom(m_fd, buffer.data(), static_cast<std::size_t>(maxBytes), 0,
                              reinterpret_cast<sockaddr*>(&from), &fromLength);
    } while (received < 0 && errno == EINTR);
    if (received < 0) {
        return std::nullopt;
    }
    buffer.truncate(received);
    if (fromAddress != nullptr) {
        *fromAddress = from.sin_addr.s_addr;
    }
    if (fromPort != nullptr) {
        *fromPort = ntohs(from.sin_port);
    }
    return buffer;
}
