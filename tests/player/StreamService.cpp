#include "StreamService.h"

#include "service/HttpRequest.h"

#include <QJsonDocument>
#include <QUrlQuery>

#include <gtest/gtest.h>

StreamService::StreamService() {
    QString error;
    if (!m_process.start(m_data.path(), {"--udp-port", "0"}, error)) {
        ADD_FAILURE() << error.toStdString();
    }
}

QString StreamService::streamUrl(int channel, const char* suffix) const {
    return QStringLiteral("%1/live/%2.%3")
        .arg(m_process.serverUrl())
        .arg(channel)
        .arg(QLatin1String(suffix));
}

void StreamService::script(const QString& action, int status, int delayMs, int holdMs,
                           int count) const {
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("endpoint"), QStringLiteral("/live"));
    query.addQueryItem(QStringLiteral("action"), action);
    query.addQueryItem(QStringLiteral("status"), QString::number(status == 0 ? 200 : status));
    query.addQueryItem(QStringLiteral("delay_ms"), QString::number(delayMs));
    query.addQueryItem(QStringLiteral("hold_ms"), QString::number(holdMs));
    query.addQueryItem(QStringLiteral("count"), QString::number(count));
    HttpRequest::Options options;
    options.connectTimeoutMs = 5000;
    options.contentType = "application/octet-stream";
    const auto response =
        HttpRequest::post(m_process.serverUrl() + QStringLiteral("/control/script?") +
                              query.toString(QUrl::FullyEncoded),
                          {}, options);
    EXPECT_EQ(response.status, 200) << response.body.constData();
}

void StreamService::reset() const {
    HttpRequest::Options options;
    options.connectTimeoutMs = 5000;
    const auto response =
        HttpRequest::post(m_process.serverUrl() + QStringLiteral("/control/reset"), {}, options);
    EXPECT_EQ(response.status, 200);
}

QJsonObject StreamService::streams() const {
    HttpRequest::Options options;
    options.connectTimeoutMs = 5000;
    const auto response =
        HttpRequest::get(m_process.serverUrl() + QStringLiteral("/control/streams"), options);
    EXPECT_EQ(response.status, 200);
    return QJsonDocument::fromJson(response.body).object();
}

int StreamService::streamRequests(int channel) const {
    return streams()
        .value(QStringLiteral("streamRequests"))
        .toObject()
        .value(QString::number(channel))
        .toInt();
}
