#include "ServiceRoutes.h"

#include "CaptchaImage.h"
#include "DataStore.h"
#include "SessionBook.h"
#include "XmlText.h"

#include <QRandomGenerator>

#include <cstdio>

namespace {

// The identity is followed by this many digits of request number in the channel-list query.
constexpr qsizetype kRequestNumberDigits = 8;

// The ticket request number: 28 lower-case hexadecimal digits.
constexpr qsizetype kTicketNumberDigits = 28;

}  // namespace

QString ServiceRoutes::Request::param(const char* name) const {
    return params.value(QLatin1String(name));
}

ServiceRoutes::ServiceRoutes(DataStore& store, SessionBook& book) : m_store(store), m_book(book) {}

const std::vector<ServiceRoutes::Route>& ServiceRoutes::routes() {
    static const std::vector<Route> kRoutes = {
        {"/user!login.action", kXmlType, &ServiceRoutes::login},
        {"/user!logout.action", kXmlType, &ServiceRoutes::logout},
        {"/auth.action", kXmlType, &ServiceRoutes::ticket},
        {"/tvprogram.action", kXmlType, &ServiceRoutes::channelList},
        {"/pulse.action", kXmlType, &ServiceRoutes::pulse},
        {"/authcode.jsp", "image/bmp", &ServiceRoutes::captcha},
        {"/user!register.action", kXmlType, &ServiceRoutes::registration},
        {"/user!findpwd.action", kXmlType, &ServiceRoutes::passwordRecovery},
        {"/pcad.action", "application/zip", &ServiceRoutes::adArchive},
    };
    return kRoutes;
}

const ServiceRoutes::Route* ServiceRoutes::routeFor(const QString& path) {
    for (const Route& route : routes()) {
        if (path == QLatin1String(route.path)) {
            return &route;
        }
    }
    return nullptr;
}

ServiceRoutes::Reply ServiceRoutes::answer(const Route& route, const Request& request) {
    return (this->*route.handler)(request);
}

ServiceRoutes::Reply ServiceRoutes::login(const Request& request) {
    const auto account = m_store.account(request.param("um"));
    if (!account || account->password != request.param("pwd")) {
        return status(0);
    }
    if (account->busy) {
        return status(2);
    }
    return xml(QStringLiteral("<Result><Status>1</Status><UserName>%1</UserName>"
                              "<UseTime>%2</UseTime></Result>")
                   .arg(XmlText::escape(account->name), QString::number(account->useTimeMs)));
}

ServiceRoutes::Reply ServiceRoutes::logout(const Request&) {
    return status(1);
}

ServiceRoutes::Reply ServiceRoutes::ticket(const Request& request) {
    if (!isRequestNumber(request.param("ack"))) {
        return xml(QStringLiteral("<Result>2</Result>"));
    }
    return xml(QStringLiteral("<Uuid>%1</Uuid><Result>1</Result>").arg(m_book.issueIdentity()));
}

ServiceRoutes::Reply ServiceRoutes::channelList(const Request& request) {
    const QString ack = request.param("ack");
    if (ack.size() <= kRequestNumberDigits ||
        !m_book.knowsIdentity(ack.left(ack.size() - kRequestNumberDigits))) {
        return Reply{403, kXmlType, {}};
    }
    return Reply{200, kXmlType, m_store.channelList()};
}

ServiceRoutes::Reply ServiceRoutes::pulse(const Request& request) {
    const bool known = m_book.knowsIdentity(request.param("uuid"));
    return xml(known ? QStringLiteral("<Result>1</Result>")
                     : QStringLiteral("<Result>-1</Result>"));
}

ServiceRoutes::Reply ServiceRoutes::captcha(const Request& request) {
    const QString code = m_book.issueCaptcha(request.remoteAddress);
    return Reply{200, "image/bmp", CaptchaImage::render(code, *QRandomGenerator::global())};
}

ServiceRoutes::Reply ServiceRoutes::registration(const Request& request) {
    if (!m_book.redeemCaptcha(request.remoteAddress, request.param("authCode"))) {
        return status(-1);
    }
    const QString id = request.param("um");
    const QString password = request.param("pwd");
    if (!id.contains(QLatin1Char('@')) || password.isEmpty()) {
        return status(0);
    }
    QString error;
    switch (m_store.registerAccount(id, password, kNewAccountUseTimeMs, error)) {
        case DataStore::Registration::Added:
            return status(1);
        case DataStore::Registration::Exists:
            return status(-2);
        case DataStore::Registration::Failed:
            break;
    }
    // The account could not be stored: the client hears a plain refusal, the operator the cause.
    std::fprintf(stderr, "refservice: registration of %s failed: %s\n", qPrintable(id),
                 qPrintable(error));
    return status(0);
}

ServiceRoutes::Reply ServiceRoutes::passwordRecovery(const Request& request) {
    if (!m_book.redeemCaptcha(request.remoteAddress, request.param("authCode"))) {
        return status(-1);
    }
    const QString id = request.param("um");
    if (!m_store.account(id)) {
        return status(-2);
    }
    m_book.recordMail(id);
    return status(1);
}

ServiceRoutes::Reply ServiceRoutes::adArchive(const Request& request) {
    auto archive = m_store.adArchive(request.param("adkey"));
    if (!archive) {
        return Reply{404, "text/plain; charset=utf-8", QByteArrayLiteral("no such archive\n")};
    }
    return Reply{200, "application/zip", *archive};
}

ServiceRoutes::Reply ServiceRoutes::xml(const QString& text) {
    return Reply{200, kXmlType, text.toUtf8()};
}

ServiceRoutes::Reply ServiceRoutes::status(int value) {
    return xml(QStringLiteral("<Result><Status>%1</Status></Result>").arg(value));
}

bool ServiceRoutes::isRequestNumber(const QString& text) {
    if (text.size() != kTicketNumberDigits) {
        return false;
    }
    for (const QChar c : text) {
        const bool hex = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                         (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
        if (!hex) {
            return false;
        }
    }
    return true;
}
