#include "service/BalanceQuery.h"

#include "platform/CodePage.h"
#include "platform/UdpSocket.h"
#include "service/LoginExchange.h"
#include "service/ServiceState.h"

#include <chrono>

namespace BalanceQuery {

namespace {

constexpr int kAnswerBytes = 512;

}  // namespace

QString EscapeField(const QString& field) {
    QString escaped = field;
    escaped.replace(QLatin1Char('^'), QLatin1String("%5E"));
    escaped.replace(QLatin1Char('$'), QLatin1String("%24"));
    escaped.replace(QLatin1Char('|'), QLatin1String("%7C"));
    escaped.replace(QLatin1Char('#'), QLatin1String("%23"));
    return escaped;
}

QByteArray BalanceRequest(const QString& id, const QString& password) {
    const QByteArray text =
        "^002|1#" + EscapeField(id).toUtf8() + '|' + EscapeField(password).toUtf8() + '$';
    if (text.size() > kMaxRequestBytes) {
        return {};
    }
    return text + '\0';
}

bool ParseBalanceAnswer(const QString& reply, int& seconds, Outcome& outcome) {
    if (!reply.startsWith(QLatin1Char('^')) || !reply.endsWith(QLatin1Char('$'))) {
        outcome = Outcome::Malformed;
        return false;
    }
    QString body = reply;
    while (body.startsWith(QLatin1Char('^'))) {
        body.remove(0, 1);
    }
    while (body.endsWith(QLatin1Char('$'))) {
        body.chop(1);
    }
    if (body.isEmpty() || body.startsWith(QLatin1Char('0'))) {
        outcome = Outcome::NoValue;
        return false;
    }
    const qsizetype bar = body.indexOf(QLatin1Char('|'));
    if (bar < 0) {
        outcome = Outcome::Malformed;
        return false;
    }
    seconds = LoginExchange::UseTimeSeconds(body.mid(bar + 1).toLatin1());
    outcome = Outcome::Answered;
    return true;
}

Answer QueryBalance(const ServiceState& state, const QString& id, const QString& password) {
    Answer answer;
    const QByteArray request = BalanceRequest(id, password);
    if (request.isEmpty()) {
        answer.outcome = Outcome::TooLong;
        return answer;
    }
    // Address 0 would reach this machine: the password goes nowhere but to the service.
    const std::uint32_t server = state.serverIp();
    if (server == 0) {
        answer.outcome = Outcome::NoServer;
        return answer;
    }
    UdpSocket socket;
    if (!socket.bind(UdpSocket::sourceAddressFor(server), kLocalPort) ||
        !socket.sendTo(request, server, kServicePort)) {
        answer.outcome = Outcome::SendFailed;
        return answer;
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerWaitMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !socket.waitReadable(static_cast<int>(left.count()))) {
            answer.outcome = Outcome::NoAnswer;
            return answer;
        }
        std::uint32_t from = 0;
        std::uint16_t fromPort = 0;
        std::optional<QByteArray> datagram = socket.receive(kAnswerBytes - 1, &from, &fromPort);
        if (!datagram) {
            answer.outcome = Outcome::NoAnswer;
            return answer;
        }
        if (from != server || fromPort != kServicePort || datagram->isEmpty()) {
            continue;  // not the service's answer
        }
        const qsizetype zero = datagram->indexOf('\0');
        if (zero >= 0) {
            datagram->truncate(zero);
        }
        answer.reply = CodePage::fromAnsi(*datagram);
        int seconds = 0;
        if (ParseBalanceAnswer(answer.reply, seconds, answer.outcome)) {
            answer.useTime = seconds;
        }
        return answer;
    }
}

}  // namespace BalanceQuery
