#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdint>

// The reference service as a child process, on a loopback address of its own: the service picks
// a free one itself ("--listen auto:0"), so that test processes, the demo and the benchmarks run
// side by side on one machine. Stopped when destroyed.
class ServiceProcess {
public:
    ServiceProcess() = default;
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    // Starts the service with its data in DATAFOLDER and EXTRA arguments ("auto" as an address
    // there means the service's own), and waits until it says where it listens. On false ERROR
    // says why.
    bool start(const QString& dataFolder, const QStringList& extra, QString& error);

    bool running() const { return m_port != 0; }
    QString host() const { return m_host; }  // "127.x.y.z"
    std::uint32_t address() const;           // network byte order
    int port() const { return m_port; }
    QString serverUrl() const;  // "http://HOST:PORT"

private:
    QProcess m_process;
    QString m_host;
    int m_port = 0;
};
