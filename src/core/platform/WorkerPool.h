#pragma once

#include <QThreadPool>

#include <memory>

// The client's own threads for blocking work: every exchange with the service runs here, beside
// the windows. A pool of its own, not Qt's global one (as many threads as cores), so that a slow
// channel-list download never holds up a sign-out.
//
// At the end of a run the owner waits a bounded time for jobs still running. A job that is still
// running then is abandoned: the pool is never destroyed under it, and the job holds its own
// copies of what it uses, so it touches nothing that was freed.
class WorkerPool {
public:
    static constexpr int kMaxThreads = 8;

    explicit WorkerPool(int maxThreads = kMaxThreads);
    // Waits for the pool's jobs, unless waitForDone() already gave up on them.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    QThreadPool* pool() const { return m_pool.get(); }
    // Jobs running or waiting for a thread.
    bool busy() const;
    // Waits up to MS for every job; false when some are still running, which are then left to
    // finish on their own.
    bool waitForDone(int ms);

private:
    std::unique_ptr<QThreadPool> m_pool;
    bool m_abandoned = false;
};
