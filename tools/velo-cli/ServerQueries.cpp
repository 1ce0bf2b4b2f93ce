// The client's small exchanges with the server, one at a time: the session ticket, the
// keep-alive pulse, the balance and update queries over UDP, and the probe of a host.
#include "CliCommands.h"

#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "service/BalanceQuery.h"
#include "service/KeepAlive.h"
#include "service/ServiceState.h"
#include "service/TicketRequest.h"
#include "session/ConfigFile.h"
#include "update/DatagramReply.h"
#include "update/UpdateCheck.h"

int CliCommands::ticket(const Call&) {
    const ConfigFile config = this->config();
    ServiceState state;
    const bool granted = TicketRequest::RequestTicket(config, state);
    printState(state);
    if (!granted) {
        return failed(QStringLiteral("no ticket: server unreachable, request refused or no reply"));
    }
    m_out << "ticket granted" << Qt::endl;
    return kOk;
}

int CliCommands::pulse(const Call&) {
    const ConfigFile config = this->config();
    ServiceState state;
    state.setServerUrl(config.serverUrl(ConfigFile::kServerUrlForTicket));
    const KeepAlive::PulseResult result =
        KeepAlive::SendPulse(config, state, Clock::system().tickCount());
    printState(state);
    switch (result) {
        case KeepAlive::PulseResult::Accepted:
            m_out << "pulse accepted" << Qt::endl;
            return kOk;
        case KeepAlive::PulseResult::Rejected:
            return failed(QStringLiteral("pulse rejected, also after renewing the identity"));
        case KeepAlive::PulseResult::NoAnswer:
            break;
    }
    return failed(QStringLiteral("pulse got no answer"));
}

int CliCommands::balance(const Call& call) {
    const QString& id = call.args[0];
    const QString& password = call.args[1];
    if (BalanceQuery::BalanceRequest(id, password).isEmpty()) {
        return badInput(QStringLiteral("ID and password are too long for a balance request"));
    }
    ServiceState state;
    if (!resolveServer(config(), state)) {
        return kFailed;
    }
    const BalanceQuery::Answer answer = BalanceQuery::QueryBalance(state, id, password);
    m_out << "server address: " << ipText(state.serverIp()) << Qt::endl;
    if (!answer.reply.isEmpty()) {
        m_out << "reply: " << answer.reply << Qt::endl;
    }
    if (answer.outcome != BalanceQuery::Outcome::Answered) {
        return failed(answer.outcome == BalanceQuery::Outcome::NoAnswer
                          ? QStringLiteral("no answer within 1000 ms")
                      : answer.outcome == BalanceQuery::Outcome::SendFailed
                          ? QStringLiteral("could not send from local port 35002")
                          : QStringLiteral("the answer carries no use time"));
    }
    m_out << "use time: " << answer.useTime << " s" << Qt::endl;
    return kOk;
}

int CliCommands::updateCheck(const Call& call) {
    bool ok = true;
    const int seconds = call.args.isEmpty() ? 5 : call.args[0].toInt(&ok);
    if (!ok || seconds < 1 || seconds > 120) {
        return badInput(QStringLiteral("SECONDS must be a number from 1 to 120"));
    }
    ServiceState state;
    if (!resolveServer(config(), state)) {
        return kFailed;
    }
    const QString reply = UpdateCheck::askOnce(state, seconds * 1000);
    m_out << "server address: " << ipText(state.serverIp()) << Qt::endl;
    if (reply.isEmpty()) {
        return failed(QStringLiteral("no reply within %1 s").arg(seconds));
    }
    m_out << "reply: " << reply << Qt::endl;
    QString text1;
    QString text2;
    int retry = 0;
    int flag = 0;
    if (DatagramReply::ParseDatagramReply(reply, text1, text2, retry, flag) == 1) {
        m_out << (flag == 1 ? "mandatory update" : "new version") << Qt::endl;
        m_out << "text1: " << text1 << Qt::endl;
        m_out << "text2: " << text2 << Qt::endl;
        return kOk;
    }
    if (retry == 0) {
        m_out << "no new version" << Qt::endl;
        return kOk;
    }
    return failed(QStringLiteral("malformed reply"));
}

int CliCommands::probe(const Call& call) {
    const QString& host = call.args[0];
    ServiceState state;
    const bool answered = TicketRequest::ProbeHost(state, CodePage::toAnsi(host), {80, 7006});
    m_out << "address: " << ipText(state.serverIp()) << Qt::endl;
    if (!answered) {
        return failed(state.serverIp() == 0 ? QStringLiteral("cannot resolve %1").arg(host)
                                            : QStringLiteral("no answer from %1").arg(host));
    }
    m_out << "answered" << Qt::endl;
    return kOk;
}
