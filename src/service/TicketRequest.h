#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

class ServiceConfig;
class ServiceState;

// The session identity: before asking for it the client makes sure the configured server
// answers, and switches to a fallback server when it does not.
namespace TicketRequest {

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
