#include "support/ServiceProcess.h"

#include <QRegularExpression>

#include <arpa/inet.h>

ServiceProcess::~ServiceProcess() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
}

bool ServiceProcess::start(const QString& dataFolder, const QStringList& extra, QString& error) {
    m_process.setProgram(QStringLiteral(VELO_REFSERVICE_PATH));
    m_process.setArguments(QStringList{"--listen", "auto:0", "--data", dataFolder} + extra);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    if (!m_process.waitForStarted(10000)) {
        error = QStringLiteral("refservice did not start: ") + m_process.errorString();
        return false;
    }
    // It says where it listens once everything is ready.
    QByteArray line;
    while (!line.contains('\n') && m_process.waitForReadyRead(20000)) {
        line += m_process.readAllStandardOutput();
    }
    static const QRegularExpression listening(
        QStringLiteral("^refservice listening http://([0-9.]+):([0-9]+) "));
    const QRegularExpressionMatch match = listening.match(QString::fromLatin1(line));
    if (!match.hasMatch()) {
        error = QStringLiteral("refservice said: ") + QString::fromLatin1(line);
        return false;
    }
    m_host = match.captured(1);
    m_port = match.captured(2).toInt();
    return true;
}

std::uint32_t ServiceProcess::address() const {
    return ::inet_addr(m_host.toLatin1().constData());
}

QString ServiceProcess::serverUrl() const {
    return QStringLiteral("http://%1:%2").arg(m_host).arg(m_port);
}
