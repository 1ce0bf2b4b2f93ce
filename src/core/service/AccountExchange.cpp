#include "service/AccountExchange.h"

#include "common/CXmlDoc.h"
#include "service/RequestCore.h"
#include "service/ServiceConfig.h"

namespace AccountExchange {

namespace {

constexpr int kRegistrationConnectMs = 500;
constexpr int kRecoveryConnectMs = 1000;
constexpr int kConnectAttempts = 1;

RequestCore::Fields registrationFields(const QString& email, const QString& password,
                                       const QString& code) {
    return {{QStringLiteral("um"), email},
            {QStringLiteral("pwd"), password},
            {QStringLiteral("authCode"), code}};
}

RequestCore::Fields recoveryFields(const QString& email, const QString& code) {
    return {{QStringLiteral("um"), email}, {QStringLiteral("authCode"), code}};
}

// An address needs an "@" and a "." with something after the first ".". Where they stand
// otherwise is the service's business.
bool hasAddressShape(const QString& email) {
    const qsizetype dot = email.indexOf(QLatin1Char('.'));
    return email.contains(QLatin1Char('@')) && dot >= 0 && dot != email.size() - 1;
}

Reply fromForm(const RequestCore::FormReply& form) {
    if (form.failure != RequestCore::FormFailure::None) {
        return Reply{Reply::Kind::NetworkFailure, {}};
    }
    if (form.unreadable) {
        return Reply{Reply::Kind::Unreadable, {}};
    }
    return ReadReply(form.body);
}

}  // namespace

bool CheckEmail(const QString& email, QString& message) {
    if (email.isEmpty()) {
        message = kEnterEmail;
        return false;
    }
    for (const QChar c : email) {
        if (c.unicode() > 0xA0) {
            message = kEnterEmail;
            return false;
        }
    }
    if (!hasAddressShape(email)) {
        message = kEnterValidEmail;
        return false;
    }
    return true;
}

bool CheckRecoveryEmail(const QString& email, QString& message) {
    if (email.isEmpty()) {
        message = kEnterEmail;
        return false;
    }
    if (!hasAddressShape(email)) {
        message = kEnterValidEmailForRecovery;
        return false;
    }
    return true;
}

bool CheckPassword(const QString& password, const QString& confirmation, QString& message) {
    if (password.size() < kMinPasswordLength || password.size() > kMaxPasswordLength) {
        message = kEnterValidPassword;
        return false;
    }
    if (confirmation.isEmpty() || confirmation != password) {
        message = kPasswordsDiffer;
        return false;
    }
    return true;
}

std::optional<QString> CheckRegistration(const QString& email, const QString& password,
                                         const QString& confirmation, const QString& code) {
    QString message;
    if (!CheckEmail(email, message) || !CheckPassword(password, confirmation, message)) {
        return message;
    }
    if (code.isEmpty()) {
        return kEnterCode;
    }
    // Cutting the form to fit would open an account with a password nobody typed.
    if (RequestCore::plainFormText(registrationFields(email, password, code)).size() >
        RequestCore::kMaxFormBytes) {
        return RequestCore::kInputTooLong;
    }
    return std::nullopt;
}

std::optional<QString> CheckRecovery(const QString& email, const QString& code) {
    QString message;
    if (!CheckRecoveryEmail(email, message)) {
        return message;
    }
    if (code.isEmpty()) {
        return kEnterCode;
    }
    if (RequestCore::plainFormText(recoveryFields(email, code)).size() >
        RequestCore::kMaxFormBytes) {
        return RequestCore::kInputTooLong;
    }
    return std::nullopt;
}

Reply ReadReply(const QByteArray& body) {
    const qsizetype end = body.indexOf('\n');
    QByteArray line = end < 0 ? body : body.first(end);
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    if (line.isEmpty()) {
        return Reply{Reply::Kind::Empty, {}};
    }
    Reply reply{Reply::Kind::Status, {}};
    CXmlDoc doc;
    doc.Parse(line);
    if (doc.FindSibling("Result") && doc.Enter() && doc.FindSibling("Status")) {
        reply.status = doc.GetText();
    }
    return reply;
}

Reply Register(const ServiceConfig& config, const QString& email, const QString& password,
               const QString& code) {
    return fromForm(RequestCore::postForm(
        config.serverUrl(ServiceConfig::kServerUrlForRegistration),
        QStringLiteral("user!register.action"), registrationFields(email, password, code),
        kRegistrationConnectMs, kConnectAttempts));
}

Reply FindPassword(const ServiceConfig& config, const QString& email, const QString& code) {
    return fromForm(RequestCore::postForm(config.serverUrl(ServiceConfig::kServerUrlForRecovery),
                                          QStringLiteral("user!findpwd.action"),
                                          recoveryFields(email, code), kRecoveryConnectMs,
                                          kConnectAttempts));
}

QString RegistrationText(const QByteArray& status) {
    if (status == "1")
        return kRegistered;
    if (status == "-1")
        return kWrongCode;
    if (status == "0")
        return kNetworkError;
    if (status == "-2")
        return kIdTaken;
    return {};
}

QString RecoveryText(const QByteArray& status) {
    if (status == "1")
        return kPasswordSent;
    if (status == "0")
        return kNetworkError;
    if (status == "-1")
        return kWrongCode;
    if (status == "-2")
        return kNoSuchId;
    return {};
}

bool RecoveryWantsNewCaptcha(const QByteArray& status) {
    return status == "0" || status == "-1" || status == "-2";
}

}  // namespace AccountExchange
