#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <mutex>

// What the exchanges with the service leave behind for later ones: the server address in effect
// (the configured one or a fallback), the session identity of the last ticket and the server's
// IPv4 address. Exchanges run on worker threads while the window reads these, so every access
// is guarded.
class ServiceState {
public:
    QString serverUrl() const;
    void setServerUrl(const QString& url);

    QString uuid() const;
    void setUuid(const QString& uuid);

    // Network byte order; 0 until a host was resolved.
    std::uint32_t serverIp() const { return m_dwServerIp.load(); }
    void setServerIp(std::uint32_t address) { m_dwServerIp.store(address); }

private:
    mutable std::mutex m_mutex;
    QString m_strServerUrl;  // guarded by m_mutex
    QString m_strUuid;       // guarded by m_mutex
    std::atomic<std::uint32_t> m_dwServerIp{0};
};
