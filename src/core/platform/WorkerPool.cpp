#include "platform/WorkerPool.h"

#include <mutex>
#include <vector>

namespace {

// Pools whose jobs outlived the owner's bounded wait at exit, the one piece of process-wide state
// of the core, on purpose. Such a pool must outlive its owner: destroying it would block until
// its jobs end (an exchange stuck in a time-out), which is what the bounded wait avoids, and its
// threads still run those jobs. So it is kept, never destroyed, and reachable until the process
// ends, so that a leak checker does not report it. Nothing else is ever read from the list.
void keepAbandoned(std::unique_ptr<QThreadPool> pool) {
    static std::mutex mutex;
    static auto* abandoned = new std::vector<std::unique_ptr<QThreadPool>>;
    const std::lock_guard lock(mutex);
    abandoned->push_back(std::move(pool));
}

}  // namespace

WorkerPool::WorkerPool(int maxThreads) : m_pool(std::make_unique<QThreadPool>()) {
    m_pool->setMaxThreadCount(maxThreads);
}

WorkerPool::~WorkerPool() {
    if (m_abandoned && !m_pool->waitForDone(0)) {
        keepAbandoned(std::move(m_pool));
    }
}

bool WorkerPool::busy() const {
    return !m_pool->waitForDone(0);
}

bool WorkerPool::waitForDone(int ms) {
    if (m_pool->waitForDone(ms)) {
        return true;
    }
    m_abandoned = true;
    return false;
}
