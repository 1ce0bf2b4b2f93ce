#pragma once

#include "support/ServiceProcess.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>

// The reference service on a loopback address of its own, with its data in a fresh folder, and
// a program folder whose configuration points the client at it. Stopped when destroyed.
class RefService {
public:
    static constexpr const char* kTvProgram = "tvprogram.action?type=pc";

    // With ADLISTENER, the advertisement server listens too, on the fixed port the client asks,
    // and the program folder is pointed at it.
    explicit RefService(bool adListener = false);

    bool running() const { return m_process.running(); }
    QString serverUrl() const { return m_process.serverUrl(); }  // "http://HOST:PORT"
    int port() const { return m_process.port(); }
    QString host() const { return m_process.host(); }  // its loopback address, "127.x.y.z"
    std::uint32_t address() const { return m_process.address(); }  // network byte order
    QString programFolder() const { return m_program.path(); }
    QString dataFolder() const { return m_data.path(); }

    // Writes KEY of the program folder's configuration, encrypted.
    void configure(const QString& key, const QString& plain) const;

    // The next COUNT requests to ENDPOINT get ACTION (see the service's control routes).
    void script(const QString& endpoint, const QString& action, const QByteArray& body = {},
                int status = 0, int delayMs = 0, int count = 1) const;
    void reset() const;
    void setUpdate(const QString& mode, const QString& text1 = {}, const QString& text2 = {}) const;
    QJsonObject state() const;
    int requests(const QString& endpoint) const;
    QJsonObject lastRequest(const QString& endpoint) const;
    // The code of the captcha the service last gave; empty when none is open.
    QString captchaCode() const;
    int datagrams(const QString& command) const;
    QString lastDatagram(const QString& command) const;

private:
    QByteArray control(const QString& pathWithQuery, const QByteArray& body = {}) const;

    QTemporaryDir m_data;
    QTemporaryDir m_program;
    ServiceProcess m_process;
};
