#include "LoopbackPicker.h"

#include "platform/UdpSocket.h"
#include "service/BalanceQuery.h"
#include "update/UpdateCheck.h"

#include <QRandomGenerator>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// 127.16.0.0/12, away from the 127.0.0.x where services are put by hand.
constexpr std::uint32_t kBlock = 0x7f100000u;
constexpr std::uint32_t kBlockSize = 1u << 20;

QString named(in_addr address, int port, const char* kind) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    return QStringLiteral("%1 port %2 on %3")
        .arg(QLatin1String(kind))
        .arg(port)
        .arg(QLatin1String(text));
}

// Binding is the only sure test: a port is free when a socket without address reuse can take
// it (for TCP with reuse, as the service's own listeners bind, so a closed connection's wait
// does not count as taken).
bool canBind(in_addr address, int port, int type) {
    const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    if (type == SOCK_STREAM) {
        const int yes = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr = address;
    local.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
    ::close(fd);
    return bound;
}

}  // namespace

in_addr LoopbackPicker::candidate() {
    const std::uint32_t offset = QRandomGenerator::system()->bounded(kBlockSize) & ~1u;
    in_addr address{};
    address.s_addr = htonl(kBlock + offset);
    return address;
}

bool LoopbackPicker::portsFree(in_addr service, int tcpPort, QString& error) {
    in_addr partner{};
    partner.s_addr = UdpSocket::sourceAddressFor(service.s_addr);
    for (const in_addr address : {service, partner}) {
        for (const int port : {int{UpdateCheck::kPort}, int{BalanceQuery::kLocalPort}}) {
            if (!canBind(address, port, SOCK_DGRAM)) {
                error = named(address, port, "UDP") + QStringLiteral(" is taken");
                return false;
            }
        }
    }
    if (tcpPort != 0 && !canBind(service, tcpPort, SOCK_STREAM)) {
        error = named(service, tcpPort, "TCP") + QStringLiteral(" is taken");
        return false;
    }
    return true;
}
