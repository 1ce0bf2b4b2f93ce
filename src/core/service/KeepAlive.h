#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

class ServiceConfig;
class ServiceState;

// The player's service duties: telling the server every ten minutes that the session identity
// is still in use, and the address the playback control authorises itself at.
namespace KeepAlive {

enum class PulseResult { Accepted, Rejected, NoAnswer };

// Reads a pulse reply as it arrives: accepted at the first "<Result>1</Result>"; rejected when
// "<Result>-1</Result>" came and no acceptance followed.
class PulseReplyReader {
public:
    // BODY is the reply so far, its bytes from NEWFROM on just arrived. False once accepted.
    bool feed(const QByteArray& body, qsizetype newFrom);
    PulseResult result() const { return m_result; }

private:
    PulseResult m_result = PulseResult::NoAnswer;
};

// The pulse address for tick count TICK, which goes out as a signed number; empty when the
// server address is unusable.
QString PulseAddress(ServiceState& state, std::uint32_t tick);

// One pulse, stamped with TICK, the tick count when it was asked for. A rejected pulse renews the
// session identity and is repeated once, stamped with TICK and the milliseconds since. Takes
// values only, so that it runs on a worker with nothing of the caller's.
PulseResult SendPulse(const ServiceConfig& config, ServiceState& state, std::uint32_t tick);

// The forced-authorisation address: the configured base followed by "pc/forceauth", with a
// leading "http://" turned into "https://".
QString ForceAuthAddress(const ServiceConfig& config);

}  // namespace KeepAlive
