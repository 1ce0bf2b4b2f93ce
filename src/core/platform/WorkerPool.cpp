#include "platform/WorkerPool.h"

#include <vector>

namespace {

// Pools whose jobs outlived the wait. They stay reachable until the process ends: destroying
// one would block until its jobs end, which is what the bounded wait avoids.
void keepAbandoned(std::unique_ptr<QThreadPool> pool) {
    static auto* abandoned = new std::vector<std::unique_ptr<QThreadPool>>;
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
