#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class ServiceConfig;
class ServiceState;

// The session identity: before asking for it the client makes sure the configured server
// answers, and switches to a fallback server when it does not.
namespace TicketRequest {

// Reads a ticket reply as it arrives, part by part: the session identity between the first
// "<Uuid>" and the first "</Uuid>", and whether the ticket was granted ("<Result>1</Result>")
// or refused ("<Result>2</Result>" or "3"), whichever comes first.
class TicketReplyReader {
public:
    enum class Outcome { Undecided, Granted, Refused };

    // BODY is the reply so far, its bytes from NEWFROM on just arrived. False once decided.
    bool feed(const QByteArray& body, qsizetype newFrom);
    Outcome outcome() const { return m_outcome; }
    // The identity, once both its tags have arrived.
    const std::optional<QString>& uuid() const { return m_uuid; }

private:
    qsizetype m_open = -1;
    qsizetype m_close = -1;
    std::optional<QString> m_uuid;
    Outcome m_outcome = Outcome::Undecided;
};

// The 28 hex digits that number a ticket request, from R in 0..254.
QString MakeRequestNumber(int r);

// Asks for a session identity. True when the server granted one; the identity it sent is kept
// in STATE (also when it refused).
bool RequestTicket(const ServiceConfig& config, ServiceState& state);

// Makes sure a reachable server is in ADDRESS, replacing it with a fallback when needed.
bool CheckServer(const ServiceConfig& config, ServiceState& state, QString& address);

// Resolves HOST, keeps its IPv4 address in STATE and sends it one echo request. Where echo
// requests are not allowed, a connection attempt to one of TCPPORTS stands for the echo.
bool ProbeHost(ServiceState& state, const QByteArray& host,
               const std::vector<std::uint16_t>& tcpPorts);

}  // namespace TicketRequest
