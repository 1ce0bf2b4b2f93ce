#include "service/RequestCore.h"

#include <QUrl>

#include <curl/curl.h>

#include <memory>

namespace RequestCore {

namespace {

bool isPlainHost(const QString& host) {
    for (const QChar c : host) {
        const char16_t u = c.unicode();
        const bool plain = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') ||
                           (u >= '0' && u <= '9') || u == '.' || u == '-' || u == '_';
        if (!plain) {
            return false;
        }
    }
    return true;
}

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

}  // namespace

AddressProblem readServerAddress(const QString& address, ServerAddress& server) {
    QString rest = address.toLower();
    server = ServerAddress();
    if (rest.startsWith(QLatin1String("https://"))) {
        server.scheme = QStringLiteral("https");
        rest = rest.mid(8);
    } else if (const qsizetype scheme = rest.indexOf(QLatin1String("http://")); scheme >= 0) {
        rest = rest.mid(scheme + 7);
    }
    const qsizetype colon = rest.indexOf(QLatin1Char(':'));
    server.host = colon >= 0 ? rest.left(colon) : rest;
    if (colon >= 0) {
        // Read as far as it is a number, the way a decimal reader does.
        qsizetype end = colon + 1;
        while (end < rest.size() && end - colon <= 5 && rest[end].isDigit()) {
            ++end;
        }
        server.port = rest.mid(colon + 1, end - colon - 1).toInt();
    }
    if (server.host.isEmpty()) {
        return AddressProblem::NoHost;
    }
    if (!isPlainHost(server.host) || server.port > 65535) {
        return AddressProblem::Unsafe;
    }
    return AddressProblem::None;
}

QString buildUrl(const ServerAddress& server, const QString& pathWithQuery) {
    const qsizetype mark = pathWithQuery.indexOf(QLatin1Char('?'));
    QString path = mark >= 0 ? pathWithQuery.left(mark) : pathWithQuery;
    const QString query = mark >= 0 ? pathWithQuery.mid(mark + 1) : QString();
    if (!path.startsWith(QLatin1Char('/'))) {
        path.prepend(QLatin1Char('/'));
    }
    const int port =
        server.port > 0 ? server.port : (server.scheme == QLatin1String("https") ? 443 : 80);
    std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    if (!url ||
        curl_url_set(url.get(), CURLUPART_SCHEME, server.scheme.toUtf8().constData(), 0) !=
            CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_HOST, server.host.toUtf8().constData(), 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_PORT, QByteArray::number(port).constData(), 0) !=
            CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_PATH, path.toUtf8().constData(), 0) != CURLUE_OK ||
        (!query.isEmpty() &&
         curl_url_set(url.get(), CURLUPART_QUERY, query.toUtf8().constData(), 0) != CURLUE_OK)) {
        return {};
    }
    char* text = nullptr;
    if (curl_url_get(url.get(), CURLUPART_URL, &text, CURLU_NO_DEFAULT_PORT) != CURLUE_OK ||
        text == nullptr) {
        return {};
    }
    QString built = QString::fromUtf8(text);
    curl_free(text);
    // The library drops a query mark with nothing after it; the server is asked exactly for
    // what the path says.
    if (mark >= 0 && query.isEmpty()) {
        built += QLatin1Char('?');
    }
    return built;
}

QString addressUrl(const QString& serverAddress, const QString& pathWithQuery) {
    ServerAddress server;
    if (readServerAddress(serverAddress, server) != AddressProblem::None) {
        return {};
    }
    return buildUrl(server, pathWithQuery);
}

QByteArray plainFormText(const Fields& fields) {
    QByteArray text;
    for (const auto& [name, value] : fields) {
        if (!text.isEmpty()) {
            text += '&';
        }
        text += name.toUtf8() + '=' + value.toUtf8();
    }
    return text;
}

QByteArray encodedFormText(const Fields& fields) {
    QByteArray text;
    for (const auto& [name, value] : fields) {
        if (!text.isEmpty()) {
            text += '&';
        }
        text += QUrl::toPercentEncoding(name) + '=' + QUrl::toPercentEncoding(value);
    }
    return text;
}

QString encodeQueryValue(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

FormReply postForm(const QString& serverUrl, const QString& objectPath, const Fields& fields,
                   int connectTimeoutMs, int connectAttempts) {
    FormReply reply;
    if (plainFormText(fields).size() > kMaxFormBytes) {
        reply.failure = FormFailure::TooLong;
        reply.message = kInputTooLong;
        return reply;
    }
    ServerAddress server;
    const AddressProblem problem = readServerAddress(serverUrl, server);
    // Without a host there is nothing to connect to.
    if (problem == AddressProblem::NoHost) {
        reply.failure = FormFailure::Connect;
        reply.message = kConnectFailed;
        return reply;
    }
    // The form always goes over plain HTTP to the named port, 80 when none is named.
    server.scheme = QStringLiteral("http");
    if (server.port == 0) {
        server.port = 80;
    }
    const QString url = problem == AddressProblem::None ? buildUrl(server, objectPath) : QString();
    if (url.isEmpty()) {
        reply.failure = FormFailure::Post;
        reply.message = kPostFailed;
        return reply;
    }

    HttpRequest::Options options;
    options.connectTimeoutMs = connectTimeoutMs;
    options.connectAttempts = connectAttempts;
    options.contentType = "application/x-www-form-urlencoded";
    const HttpRequest::Response response = HttpRequest::post(url, encodedFormText(fields), options);
    switch (response.failure) {
        case HttpRequest::Failure::None:
            reply.body = response.body;
            break;
        case HttpRequest::Failure::Receive:
            reply.body = response.body;
            reply.unreadable = true;
            break;
        case HttpRequest::Failure::Connect:
            reply.failure = FormFailure::Connect;
            reply.message = kConnectFailed;
            break;
        case HttpRequest::Failure::BadAddress:
            reply.failure = FormFailure::Post;
            reply.message = kPostFailed;
            break;
        case HttpRequest::Failure::Send:
            reply.failure = FormFailure::Timeout;
            reply.message = kTimedOut;
            break;
        case HttpRequest::Failure::TooLarge:
            // A reply too long to be ours: read as no reply at all.
            reply.unreadable = true;
            break;
    }
    return reply;
}

HttpRequest::Response openAddress(const QString& serverAddress, const QString& pathWithQuery,
                                  HttpRequest::Options options,
                                  const HttpRequest::Examiner& examine) {
    const QString url = addressUrl(serverAddress, pathWithQuery);
    if (url.isEmpty()) {
        HttpRequest::Response refused;
        refused.failure = HttpRequest::Failure::BadAddress;
        return refused;
    }
    return HttpRequest::get(url, options, examine);
}

}  // namespace RequestCore
