#include "service/TicketRequest.h"

#include "service/ServiceConfig.h"
#include "platform/CodePage.h"
#include "platform/IcmpEcho.h"
#include "platform/TickCount.h"
#include "service/RequestCore.h"
#include "service/ServiceState.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <random>

namespace TicketRequest {

namespace {

const QByteArray kEchoData("DULA\0\0\0\0", 8);
constexpr int kEchoTimeoutMs = 1000;
constexpr std::uint16_t kServicePort = 7006;

std::vector<std::uint16_t> portsFor(const QString& address) {
    std::vector<std::uint16_t> ports{80, kServicePort};
    int port = 0;
    RequestCore::hostOf(address, &port);
    if (port > 0 && port < 65536 && port != 80 && port != kServicePort) {
        ports.push_back(static_cast<std::uint16_t>(port));
    }
    return ports;
}

}  // namespace

QString MakeRequestNumber(int r) {
    return QStringLiteral("%1").arg(r, 8, 16, QLatin1Char('0')) + QStringLiteral("0001") +
           QStringLiteral("%1").arg(r + 1, 16, 16, QLatin1Char('0'));
}

bool ProbeHost(ServiceState& state, const QByteArray& host,
               const std::vector<std::uint16_t>& tcpPorts) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (host.isEmpty() || ::getaddrinfo(host.constData(), nullptr, &hints, &found) != 0 ||
        found == nullptr) {
        return false;
    }
    const std::uint32_t address =
        reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(found);
    if (address == INADDR_NONE) {
        return false;
    }
    // Kept before the echo: the datagram queries use the address even when the echo fails.
    state.setServerIp(address);
    return IcmpEcho::ping(address, kEchoData, kEchoTimeoutMs, tcpPorts).answered;
}

bool CheckServer(const ServiceConfig& config, ServiceState& state, QString& address) {
    if (address.isEmpty()) {
        return false;
    }
    const QByteArray host = CodePage::toAnsi(RequestCore::hostOf(address));
    if (host.size() > 127) {
        return false;
    }
    if (ProbeHost(state, host, portsFor(address))) {
        return true;
    }
    for (int which = 1; which <= 2; ++which) {
        const QString fallback = config.fallbackUrl(which);
        if (ProbeHost(state, CodePage::toAnsi(config.probeHost(which)), portsFor(fallback))) {
            address = fallback;
            return true;
        }
    }
    return false;
}

bool RequestTicket(const ServiceConfig& config, ServiceState& state) {
    std::minstd_rand random(TickCount::now());
    const int r = static_cast<int>(random() % 255);
    const QString number = MakeRequestNumber(r);

    // Every request starts again from the configured server: a fallback chosen earlier is
    // forgotten.
    QString address = config.serverUrl(ServiceConfig::kServerUrlForTicket);
    state.setServerUrl(address);
    const QString path = QStringLiteral("auth.action?um=%1&pwd=%2&type=1&ack=").arg(QString(), QString());
    if (!CheckServer(config, state, address)) {
        return false;
    }
    state.setServerUrl(address);

    enum class Outcome { Undecided, Granted, Refused } outcome = Outcome::Undecided;
    HttpRequest::Options options;
    options.connectTimeoutMs = 6000;
    options.connectAttempts = 1;
    // The reply is examined as a whole each time more of it arrives, so a tag that reaches
    // across two reads is still found.
    const auto examine = [&](const QByteArray& bodySoFar) {
        const QString text = CodePage::fromAnsi(bodySoFar);
        const qsizetype open = text.indexOf(QLatin1String("<Uuid>"));
        const qsizetype close = text.indexOf(QLatin1String("</Uuid>"));
        if (open >= 0 && close >= 0) {
            QString uuid = text.mid(open, std::max<qsizetype>(close - open, 0));
            uuid.remove(QLatin1String("<Uuid>"));
            state.setUuid(uuid);
        }
        if (text.contains(QLatin1String("<Result>1</Result>"))) {
            outcome = Outcome::Granted;
            return false;
        }
        if (text.contains(QLatin1String("<Result>2</Result>")) ||
            text.contains(QLatin1String("<Result>3</Result>"))) {
            outcome = Outcome::Refused;
            return false;
        }
        return true;
    };
    RequestCore::openAddress(address, path + number, options, examine);
    return outcome == Outcome::Granted;
}

}  // namespace TicketRequest
