#include "service/RequestCore.h"

#include <QUrl>

namespace RequestCore {

QString hostOf(const QString& address, int* port) {
    QString host = address.toLower();
    const qsizetype scheme = host.indexOf(QLatin1String("http://"));
    if (scheme >= 0) {
        host = host.mid(scheme + 7);
    }
    if (port != nullptr) {
        *port = 0;
    }
    const qsizetype colon = host.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        if (port != nullptr) {
            // Read as far as it is a number, the way a decimal reader does.
            qsizetype end = colon + 1;
            while (end < host.size() && host[end].isDigit()) {
                ++end;
            }
            *port = host.mid(colon + 1, end - colon - 1).toInt();
        }
        host = host.left(colon);
    }
    return host;
}

QString formServerBase(const QString& serverUrl) {
    int port = 0;
    const QString host = hostOf(serverUrl, &port);
    return QStringLiteral("http://%1:%2").arg(host).arg(port > 0 ? port : 80);
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
    const QString base = formServerBase(serverUrl);
    // Without a host there is nothing to connect to.
    if (base.startsWith(QLatin1String("http://:"))) {
        reply.failure = FormFailure::Connect;
        reply.message = kConnectFailed;
        return reply;
    }
    const QString path =
        objectPath.startsWith(QLatin1Char('/')) ? objectPath : QLatin1Char('/') + objectPath;

    HttpRequest::Options options;
    options.connectTimeoutMs = connectTimeoutMs;
    options.connectAttempts = connectAttempts;
    options.contentType = "application/x-www-form-urlencoded";
    const HttpRequest::Response response =
        HttpRequest::post(base + path, encodedFormText(fields), options);
    switch (response.failure) {
        case HttpRequest::Failure::None:
        case HttpRequest::Failure::Receive:
            reply.body = response.body;
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
            break;
    }
    return reply;
}

HttpRequest::Response openAddress(const QString& serverAddress, const QString& pathWithQuery,
                                  HttpRequest::Options options,
                                  const HttpRequest::Examiner& examine) {
    return HttpRequest::get(serverAddress + QLatin1Char('/') + pathWithQuery, options, examine);
}

}  // namespace RequestCore
