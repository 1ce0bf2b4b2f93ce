#include "service/KeepAlive.h"

#include "service/ServiceConfig.h"
#include "platform/CodePage.h"
#include "platform/Clock.h"
#include "service/RequestCore.h"
#include "service/ServiceState.h"
#include "service/TicketRequest.h"

namespace KeepAlive {

namespace {

PulseResult pulseOnce(ServiceState& state, const Clock& clock) {
    PulseResult result = PulseResult::NoAnswer;
    HttpRequest::Options options;  // the library's own connect time-out and tries
    const auto examine = [&](const QByteArray& bodySoFar) {
        const QString text = CodePage::fromAnsi(bodySoFar);
        if (text.contains(QLatin1String("<Result>1</Result>"))) {
            result = PulseResult::Accepted;
            return false;
        }
        if (text.contains(QLatin1String("<Result>-1</Result>"))) {
            result = PulseResult::Rejected;
            // A later part of the reply may still accept it.
        }
        return true;
    };
    const QString address = PulseAddress(state, clock.tickCount());
    HttpRequest::get(address, options, examine);
    return result;
}

}  // namespace

QString PulseAddress(ServiceState& state, std::uint32_t tick) {
    return state.serverUrl() + QStringLiteral("/pulse.action?uuid=") +
           RequestCore::encodeQueryValue(state.uuid()) + QStringLiteral("&tmp=") +
           QString::number(static_cast<std::int32_t>(tick));
}

PulseResult SendPulse(const ServiceConfig& config, ServiceState& state, const Clock& clock) {
    const PulseResult first = pulseOnce(state, clock);
    if (first != PulseResult::Rejected) {
        return first;
    }
    // The server no longer knows our identity: ask for a new one and say it once more.
    TicketRequest::RequestTicket(config, state);
    return pulseOnce(state, clock);
}

QString ForceAuthAddress(const ServiceConfig& config) {
    QString address = config.uerSetMeal() + QStringLiteral("pc/forceauth");
    if (address.startsWith(QLatin1String("http://"))) {
        address.replace(0, 7, QStringLiteral("https://"));
    }
    return address;
}

}  // namespace KeepAlive
