#include "service/ServiceState.h"

QString ServiceState::serverUrl() const {
    const std::lock_guard lock(m_mutex);
    return m_strServerUrl;
}

void ServiceState::setServerUrl(const QString& url) {
    const std::lock_guard lock(m_mutex);
    m_strServerUrl = url;
}

QString ServiceState::uuid() const {
    const std::lock_guard lock(m_mutex);
    return m_strUuid;
}

void ServiceState::setUuid(const QString& uuid) {
    const std::lock_guard lock(m_mutex);
    m_strUuid = uuid;
}
