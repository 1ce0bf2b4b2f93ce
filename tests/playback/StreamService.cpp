#include "StreamService.h"

#include "service/HttpRequest.h"

#include <QJsonDocument>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

constexpr const char* kAddress = "127.0.0.2";

}  // namespace

StreamService::StreamService() {
    m_process.setProgram(QStringLiteral(VELO_REFSERVICE_PATH));
    m_process.setArguments({"--listen", QStringLiteral("%1:0").arg(QLatin1String(kAddress)),
                            "--data", m_data.path(), "--udp-port", "0"});
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    if (!m_process.waitForStarted(10000)) {
        ADD_FAILURE() << "refservice did not start";
        return;
    }
    QByteArray line;
    while (!line.contains('\n') && m_process.waitForReadyRead(20000)) {
        line += m_process.readAllStandardOutput();
    }
    const QByteArray prefix = QByteArray("refservice listening http://") + kAddress + ':';
    if (!line.startsWith(prefix)) {
        ADD_FAILURE() << "refservice said: " << line.constData();
        return;
    }
    m_port = line.mid(prefix.size()).split(' ').front().toInt();
}

StreamService::~StreamService() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
}

QString StreamService::streamUrl(int channel, const char* suffix) const {
    return QStringLiteral("http://%1:%2/live/%3.%4")
        .arg(QLatin1String(kAddress))
        .arg(m_port)
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
    const auto response = HttpRequest::post(
        QStringLiteral("http://%1:%2/control/script?").arg(QLatin1String(kAddress)).arg(m_port) +
            query.toString(QUrl::FullyEncoded),
        {}, options);
    EXPECT_EQ(response.status, 200) << response.body.constData();
}

void StreamService::reset() const {
    HttpRequest::Options options;
    options.connectTimeoutMs = 5000;
    const auto response = HttpRequest::post(
        QStringLiteral("http://%1:%2/control/reset").arg(QLatin1String(kAddress)).arg(m_port), {},
        options);
    EXPECT_EQ(response.status, 200);
}

QJsonObject StreamService::streams() const {
    HttpRequest::Options options;
    options.connectTimeoutMs = 5000;
    const auto response = HttpRequest::get(
        QStringLiteral("http://%1:%2/control/streams").arg(QLatin1String(kAddress)).arg(m_port),
        options);
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
