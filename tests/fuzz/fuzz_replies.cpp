// The service's HTTP replies as the exchanges read them: the login and account replies whole, the
// ticket and pulse replies part by part as they arrive. The first byte chooses where the parts end.
// The readers look only at what is new in each part; they must come to what a reading of the whole
// reply so far, after every part, comes to.
#include "platform/CodePage.h"
#include "service/AccountExchange.h"
#include "service/KeepAlive.h"
#include "service/LoginExchange.h"
#include "service/TicketRequest.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// The ticket reply read the slow, obvious way: everything so far, every time.
struct WholeTicketReading {
    TicketRequest::TicketReplyReader::Outcome outcome =
        TicketRequest::TicketReplyReader::Outcome::Undecided;
    std::optional<QString> uuid;
    bool feed(const QByteArray& body) {
        const QString text = CodePage::fromAnsi(body);
        const qsizetype open = text.indexOf(QLatin1String("<Uuid>"));
        const qsizetype close = text.indexOf(QLatin1String("</Uuid>"));
        if (!uuid && open >= 0 && close >= 0) {
            QString found = text.mid(open, std::max<qsizetype>(close - open, 0));
            found.remove(QLatin1String("<Uuid>"));
            uuid = found;
        }
        if (text.contains(QLatin1String("<Result>1</Result>"))) {
            outcome = TicketRequest::TicketReplyReader::Outcome::Granted;
            return false;
        }
        if (text.contains(QLatin1String("<Result>2</Result>")) ||
            text.contains(QLatin1String("<Result>3</Result>"))) {
            outcome = TicketRequest::TicketReplyReader::Outcome::Refused;
            return false;
        }
        return true;
    }
};

struct WholePulseReading {
    KeepAlive::PulseResult result = KeepAlive::PulseResult::NoAnswer;
    bool feed(const QByteArray& body) {
        const QString text = CodePage::fromAnsi(body);
        if (text.contains(QLatin1String("<Result>1</Result>"))) {
            result = KeepAlive::PulseResult::Accepted;
            return false;
        }
        if (text.contains(QLatin1String("<Result>-1</Result>"))) {
            result = KeepAlive::PulseResult::Rejected;
        }
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte: the lengths of the parts, cycling (1 to 8 bytes each).
    std::vector<qsizetype> steps;
    for (int bit = 0; bit < 8; bit += 3) {
        steps.push_back(((data[0] >> bit) & 7) + 1);
    }
    const QByteArray body(reinterpret_cast<const char*>(data + 1),
                          static_cast<qsizetype>(size - 1));

    TicketRequest::TicketReplyReader ticket;
    WholeTicketReading ticketWhole;
    KeepAlive::PulseReplyReader pulse;
    WholePulseReading pulseWhole;
    bool ticketOpen = true;
    bool pulseOpen = true;
    QByteArray sofar;
    std::size_t next = 0;
    for (qsizetype at = 0; at < body.size() && (ticketOpen || pulseOpen);) {
        const qsizetype part = steps[next++ % steps.size()];
        const qsizetype from = sofar.size();
        sofar += body.mid(at, part);
        at += part;
        if (ticketOpen) {
            const bool more = ticket.feed(sofar, from);
            if (more != ticketWhole.feed(sofar)) {
                __builtin_trap();
            }
            ticketOpen = more;
        }
        if (pulseOpen) {
            const bool more = pulse.feed(sofar, from);
            if (more != pulseWhole.feed(sofar)) {
                __builtin_trap();
            }
            pulseOpen = more;
        }
    }
    if (ticket.outcome() != ticketWhole.outcome || ticket.uuid() != ticketWhole.uuid ||
        pulse.result() != pulseWhole.result) {
        __builtin_trap();
    }

    // A login is granted with nothing to say, or refused with its reason.
    const LoginExchange::LoginResult login =
        LoginExchange::ReadLoginReply(body, QStringLiteral("id@example.jp"));
    if (login.ok == !login.message.isEmpty()) {
        __builtin_trap();
    }

    // An account reply is read from its first line only: what follows never changes it.
    const AccountExchange::Reply account = AccountExchange::ReadReply(body);
    const qsizetype lineEnd = body.indexOf('\n');
    if (lineEnd >= 0) {
        const AccountExchange::Reply firstLine =
            AccountExchange::ReadReply(body.first(lineEnd + 1));
        if (firstLine.kind != account.kind || firstLine.status != account.status) {
            __builtin_trap();
        }
    }
    if (account.kind == AccountExchange::Reply::Kind::Empty && !account.status.isEmpty()) {
        __builtin_trap();
    }
    return 0;
}
