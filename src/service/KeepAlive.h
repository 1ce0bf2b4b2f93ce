#pragma once

#include <QString>

#include <cstdint>

class Clock;
class ServiceConfig;
class ServiceState;

// The player's service duties: telling the server every ten minutes that the session identity
// is still in use, and the address the playback control authorises itself at.
namespace KeepAlive {

enum class PulseResult { Accepted, Rejected, NoAnswer };

// The pulse address for tick count TICK, which goes out as a signed number.
QString PulseAddress(ServiceState& state, std::uint32_t tick);

// One pulse, stamped with CLOCK's tick count. A rejected pulse renews the session identity and
// is repeated once.
PulseResult SendPulse(const ServiceConfig& config, ServiceState& state, const Clock& clock);

// The forced-authorisation address: the configured base followed by "pc/forceauth", with a
// leading "http://" turned into "https://".
QString ForceAuthAddress(const ServiceConfig& config);

}  // namespace KeepAlive
