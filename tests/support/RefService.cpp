#include "support/RefService.h"

#include "service/HttpRequest.h"
#include "session/ConfigFile.h"

#include <QJsonDocument>
#include <QUrlQuery>

#include <gtest/gtest.h>

RefService::RefService(bool adListener) {
    QString error;
    if (!m_process.start(m_data.path(),
                         adListener ? QStringList{"--ad-listen", "auto:7006"} : QStringList{},
                         error)) {
        ADD_FAILURE() << error.toStdString();
        return;
    }
    configure(QStringLiteral("ServerUrl"), serverUrl());
    configure(QStringLiteral("TvProgram"), QString::fromLatin1(kTvProgram));
    configure(QStringLiteral("UerSetMeal"), QStringLiteral("http://%1/auth/").arg(host()));
    if (adListener) {
        configure(QStringLiteral("AdServer"), host());
    }
}

void RefService::configure(const QString& key, const QString& plain) const {
    ASSERT_EQ(ConfigFile(m_program.path()).write(key, plain), ConfigFile::WriteResult::Written)
        << key.toStdString();
}

QByteArray RefService::control(const QString& pathWithQuery, const QByteArray& body) const {
    HttpRequest::Options options;
    options.connectTimeoutMs = 5000;
    options.maxBody = 16 * 1024 * 1024;
    // A scripted reply is raw bytes, not a form (the server limits forms to a few kilobytes).
    options.contentType = "application/octet-stream";
    const QString url = serverUrl() + pathWithQuery;
    const HttpRequest::Response response = pathWithQuery.startsWith(QLatin1String("/control/state"))
                                               ? HttpRequest::get(url, options)
                                               : HttpRequest::post(url, body, options);
    EXPECT_EQ(response.failure, HttpRequest::Failure::None) << pathWithQuery.toStdString();
    EXPECT_EQ(response.status, 200)
        << pathWithQuery.toStdString() << ": " << response.body.left(200).constData();
    return response.body;
}

void RefService::script(const QString& endpoint, const QString& action, const QByteArray& body,
                        int status, int delayMs, int count) const {
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("endpoint"), endpoint);
    query.addQueryItem(QStringLiteral("action"), action);
    if (status != 0) {
        query.addQueryItem(QStringLiteral("status"), QString::number(status));
    }
    if (delayMs != 0) {
        query.addQueryItem(QStringLiteral("delay_ms"), QString::number(delayMs));
    }
    query.addQueryItem(QStringLiteral("count"), QString::number(count));
    control(QStringLiteral("/control/script?") + query.toString(QUrl::FullyEncoded), body);
}

void RefService::reset() const {
    control(QStringLiteral("/control/reset"));
}

void RefService::setUpdate(const QString& mode, const QString& text1, const QString& text2) const {
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("mode"), mode);
    query.addQueryItem(QStringLiteral("text1"), text1);
    query.addQueryItem(QStringLiteral("text2"), text2);
    control(QStringLiteral("/control/update?") + query.toString(QUrl::FullyEncoded));
}

QJsonObject RefService::state() const {
    return QJsonDocument::fromJson(control(QStringLiteral("/control/state"))).object();
}

int RefService::requests(const QString& endpoint) const {
    return state().value(QStringLiteral("requests")).toObject().value(endpoint).toInt();
}

QJsonObject RefService::lastRequest(const QString& endpoint) const {
    return state().value(QStringLiteral("last")).toObject().value(endpoint).toObject();
}

QString RefService::captchaCode() const {
    // Each test has a service of its own and is its only client, so there is at most one open
    // code.
    const QJsonObject codes = state().value(QStringLiteral("captcha")).toObject();
    return codes.isEmpty() ? QString() : codes.begin().value().toString();
}

int RefService::datagrams(const QString& command) const {
    return state().value(QStringLiteral("datagrams")).toObject().value(command).toInt();
}

QString RefService::lastDatagram(const QString& command) const {
    return state().value(QStringLiteral("lastDatagram")).toObject().value(command).toString();
}
