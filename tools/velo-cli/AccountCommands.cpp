// The account forms' requests by hand: the captcha picture, registration and password recovery.
#include "CliCommands.h"

#include "service/AccountExchange.h"
#include "service/CaptchaDownload.h"
#include "session/ConfigFile.h"

int CliCommands::captcha(const Call& call) {
    const QString file =
        call.args.isEmpty() ? CaptchaDownload::imagePath(dataFolder()) : call.args[0];
    CaptchaDownload::Tickets tickets;
    const CaptchaDownload::Result result = CaptchaDownload::Download(
        config().serverUrl(ConfigFile::kServerUrlForCaptcha), file, tickets, tickets.next());
    if (!result.ok) {
        return failed(QStringLiteral("no captcha could be fetched into %1").arg(file));
    }
    if (!result.stored) {
        return failed(QStringLiteral("the captcha came but could not be written to %1").arg(file));
    }
    m_out << result.image.size() << Qt::endl;
    return kOk;
}

int CliCommands::formReply(const AccountExchange::Reply& reply,
                           QString (*text)(const QByteArray& status), const QString& unreadable) {
    switch (reply.kind) {
        case AccountExchange::Reply::Kind::NetworkFailure:
            return failed(QStringLiteral("the server could not be reached"));
        case AccountExchange::Reply::Kind::Empty:
            return failed(QStringLiteral("the server's reply was empty"));
        case AccountExchange::Reply::Kind::Unreadable:
            if (unreadable.isEmpty()) {
                return failed(QStringLiteral("the server's reply could not be read"));
            }
            m_out << unreadable << Qt::endl;
            return kFailed;
        case AccountExchange::Reply::Kind::Status:
            break;
    }
    const QString shown = text(reply.status);
    if (shown.isEmpty()) {
        return failed(QStringLiteral("unknown status \"%1\"").arg(QString::fromUtf8(reply.status)));
    }
    m_out << shown << Qt::endl;
    return reply.status == "1" ? kOk : kFailed;
}

int CliCommands::registerAccount(const Call& call) {
    const QStringList& args = call.args;
    if (const auto refusal =
            AccountExchange::CheckRegistration(args[0], args[1], args[2], args[3])) {
        m_out << *refusal << Qt::endl;
        return kFailed;
    }
    return formReply(AccountExchange::Register(config(), args[0], args[1], args[3]),
                     &AccountExchange::RegistrationText, QString());
}

int CliCommands::findPassword(const Call& call) {
    const QStringList& args = call.args;
    if (const auto refusal = AccountExchange::CheckRecovery(args[0], args[1])) {
        m_out << *refusal << Qt::endl;
        return kFailed;
    }
    // The recovery form reads a reply it cannot read as a time-out.
    return formReply(AccountExchange::FindPassword(config(), args[0], args[1]),
                     &AccountExchange::RecoveryText, AccountExchange::kRecoveryTimeout);
}
