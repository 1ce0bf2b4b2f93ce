#include "service/KeepAlive.h"

#include "platform/CodePage.h"
#include "service/RequestCore.h"
#include "service/ServiceConfig.h"
#include "service/ServiceState.h"
#include "service/TicketRequest.h"

#include <QElapsedTimer>

namespace KeepAlive {

namespace {

PulseResult pulseOnce(ServiceState& state, std::uint32_t tick) {
    HttpRequest::Options options;  // the library's own connect time-out and tries
    PulseReplyReader reader;
    const QString address = PulseAddress(state, tick);
    if (!address.isEmpty()) {
        HttpRequest::get(address, options, [&reader](const QByteArray& body, qsizetype newFrom) {
            return reader.feed(body, newFrom);
        });
    }
    return reader.result();
}

}  // namespace

// The tags are plain ASCII: found in the reply's bytes as they are in its text, looking only
// where the newest part could have completed one.
bool PulseReplyReader::feed(const QByteArray& body, qsizetype newFrom) {
    if (HttpRequest::findNew(body, newFrom, "<Result>1</Result>") >= 0) {
        m_result = PulseResult::Accepted;
        return false;
    }
    if (HttpRequest::findNew(body, newFrom, "<Result>-1</Result>") >= 0) {
        m_result = PulseResult::Rejected;
        // A later part of the reply may still accept it.
    }
    return true;
}

QString PulseAddress(ServiceState& state, std::uint32_t tick) {
    return RequestCore::addressUrl(
        state.serverUrl(),
        QStringLiteral("pulse.action?uuid=") + RequestCore::encodeQueryValue(state.uuid()) +
            QStringLiteral("&tmp=") + QString::number(static_cast<std::int32_t>(tick)));
}

PulseResult SendPulse(const ServiceConfig& config, ServiceState& state, std::uint32_t tick) {
    QElapsedTimer since;
    since.start();
    const PulseResult first = pulseOnce(state, tick);
    if (first != PulseResult::Rejected) {
        return first;
    }
    // The server no longer knows our identity: ask for a new one and say it once more, with the
    // tick count of now, as a monotonic count moves on with the milliseconds (wrapping too).
    TicketRequest::RequestTicket(config, state);
    return pulseOnce(state, tick + static_cast<std::uint32_t>(since.elapsed()));
}

QString ForceAuthAddress(const ServiceConfig& config) {
    QString address = config.uerSetMeal() + QStringLiteral("pc/forceauth");
    if (address.startsWith(QLatin1String("http://"))) {
        address.replace(0, 7, QStringLiteral("https://"));
    }
    return address;
}

}  // namespace KeepAlive
