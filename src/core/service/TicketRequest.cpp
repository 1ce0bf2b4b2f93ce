#include "service/TicketRequest.h"

#include "platform/CodePage.h"
#include "platform/IcmpEcho.h"
#include "platform/TickCount.h"
#include "service/RequestCore.h"
#include "service/ServiceConfig.h"
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
    RequestCore::ServerAddress server;
    RequestCore::readServerAddress(address, server);
    if (server.port > 0 && server.port < 65536 && server.port != 80 &&
        server.port != kServicePort) {
        ports.push_back(static_cast<std::uint16_t>(server.port));
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
    RequestCore::ServerAddress server;
    // A host that is not plain is never probed, nor asked for anything.
    if (RequestCore::readServerAddress(address, server) != RequestCore::AddressProblem::None) {
        return false;
    }
    const QByteArray host = CodePage::toAnsi(server.host);
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
    const QString path =
        QStringLiteral("auth.action?um=%1&pwd=%2&type=1&ack=").arg(QString(), QString());
    if (!CheckServer(config, state, address)) {
        return false;
    }
    state.setServerUrl(address);

    HttpRequest::Options options;
    options.connectTimeoutMs = 6000;
    options.connectAttempts = 1;
    TicketReplyReader reader;
    const auto examine = [&](const QByteArray& bodySoFar, qsizetype newFrom) {
        const bool hadUuid = reader.uuid().has_value();
        const bool more = reader.feed(bodySoFar, newFrom);
        if (!hadUuid && reader.uuid()) {
            state.setUuid(*reader.uuid());
        }
        return more;
    };
    RequestCore::openAddress(address, path + number, options, examine);
    return reader.outcome() == TicketReplyReader::Outcome::Granted;
}

// Each part of the reply is looked at as it arrives, with the end of the part before it, so a
// tag that reaches across two reads is still found and a reply that dribbles in costs no more
// than one that arrives at once. The tags are plain ASCII: found in the reply's bytes as they are
// in its text.
bool TicketReplyReader::feed(const QByteArray& body, qsizetype newFrom) {
    if (m_outcome != Outcome::Undecided) {
        return false;
    }
    if (m_open < 0) {
        m_open = HttpRequest::findNew(body, newFrom, "<Uuid>");
    }
    if (m_close < 0) {
        m_close = HttpRequest::findNew(body, newFrom, "</Uuid>");
    }
    if (!m_uuid && m_open >= 0 && m_close >= 0) {
        QString uuid =
            CodePage::fromAnsi(body.mid(m_open, std::max<qsizetype>(m_close - m_open, 0)));
        uuid.remove(QLatin1String("<Uuid>"));
        m_uuid = uuid;
    }
    if (HttpRequest::findNew(body, newFrom, "<Result>1</Result>") >= 0) {
        m_outcome = Outcome::Granted;
        return false;
    }
    if (HttpRequest::findNew(body, newFrom, "<Result>2</Result>") >= 0 ||
        HttpRequest::findNew(body, newFrom, "<Result>3</Result>") >= 0) {
        m_outcome = Outcome::Refused;
        return false;
    }
    return true;
}

}  // namespace TicketRequest
