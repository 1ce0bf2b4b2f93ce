#include "ShutdownLatch.h"

void ShutdownLatch::trigger() {
    {
        const std::lock_guard lock(m_mutex);
        m_triggered = true;
    }
    m_wake.notify_all();
}

bool ShutdownLatch::triggered() const {
    const std::lock_guard lock(m_mutex);
    return m_triggered;
}

bool ShutdownLatch::sleepFor(std::chrono::milliseconds duration) const {
    std::unique_lock lock(m_mutex);
    return !m_wake.wait_for(lock, duration, [this] { return m_triggered; });
}
