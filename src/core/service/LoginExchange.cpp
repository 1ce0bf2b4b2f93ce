#include "service/LoginExchange.h"

#include "common/CXmlDoc.h"
#include "platform/CodePage.h"
#include "service/RequestCore.h"
#include "service/ServiceConfig.h"

#include <cstdint>
#include <cstdlib>

namespace LoginExchange {

namespace {

RequestCore::Fields credentials(const QString& id, const QString& password) {
    return {{QStringLiteral("um"), id}, {QStringLiteral("pwd"), password}};
}

}  // namespace

int UseTimeSeconds(const QByteArray& milliseconds) {
    // A signed 64-bit decimal, read as far as it is one; out-of-range values saturate.
    const long long value = std::strtoll(milliseconds.constData(), nullptr, 10);
    const long long seconds = value / 1000;
    return static_cast<int>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(seconds)));
}

LoginResult Login(const ServiceConfig& config, const QString& id, const QString& password) {
    LoginResult result;
    const RequestCore::FormReply reply = RequestCore::postForm(
        config.serverUrl(ServiceConfig::kServerUrlForLogin), QStringLiteral("/user!login.action?"),
        credentials(id, password), 2000, 1);
    if (reply.failure != RequestCore::FormFailure::None) {
        result.message = reply.message;
        return result;
    }
    return ReadLoginReply(reply.body, id);
}

LoginResult ReadLoginReply(const QByteArray& body, const QString& id) {
    LoginResult result;
    if (body.isEmpty()) {
        result.message = kWrongIdOrPassword;
        return result;
    }
    if (body.front() == '\0') {
        result.message = kNoLoginInfo;
        return result;
    }

    CXmlDoc doc;
    doc.Parse(body);
    if (!doc.FindSibling("Result") || !doc.Enter() || !doc.FindSibling("Status")) {
        result.message = kWrongIdOrPassword;
        return result;
    }
    const QByteArray status = doc.GetText();
    if (status == "1") {
        result.ok = true;
        result.message.clear();
        result.displayName = doc.FindSibling("UserName") ? CodePage::fromAnsi(doc.GetText()) : id;
        if (doc.FindSibling("UseTime")) {
            result.useTime = UseTimeSeconds(doc.GetText());
        }
        return result;
    }
    result.message = status == "2" ? kSignedInElsewhere : kWrongIdOrPassword;
    return result;
}

bool Logout(const ServiceConfig& config, const QString& id, const QString& password) {
    const RequestCore::FormReply reply = RequestCore::postForm(
        config.serverUrl(ServiceConfig::kServerUrlForLogin), QStringLiteral("/user!logout.action?"),
        credentials(id, password), 1000, 1);
    if (reply.failure != RequestCore::FormFailure::None) {
        return false;
    }
    if (reply.body.isEmpty()) {
        return true;
    }
    const qsizetype lineEnd = reply.body.indexOf('\n');
    QByteArray line = lineEnd < 0 ? reply.body : reply.body.first(lineEnd);
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    if (line.isEmpty()) {
        return false;
    }
    // A reachable server that answered counts as signed out, whatever its status says.
    return true;
}

}  // namespace LoginExchange
