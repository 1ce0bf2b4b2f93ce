#include "platform/AsyncTask.h"
#include "platform/WorkerPool.h"
#include "support/QtWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

// A gate the jobs wait at until the test opens it.
struct Gate {
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
    void wait() {
        std::unique_lock lock(mutex);
        opened.wait(lock, [this] { return open; });
    }
    void release() {
        {
            const std::lock_guard lock(mutex);
            open = true;
        }
        opened.notify_all();
    }
};

}  // namespace

TEST(AsyncTask, TheCallbackRunsOnTheContextsThreadWithTheJobsResult) {
    WorkerPool workers;
    QObject context;
    QThread* jobThread = nullptr;
    QThread* callbackThread = nullptr;
    int result = 0;
    AsyncTask::runThenCallback(
        workers.pool(), &context,
        [&jobThread] {
            jobThread = QThread::currentThread();
            return 42;
        },
        [&](int value) {
            callbackThread = QThread::currentThread();
            result = value;
        });
    EXPECT_EQ_SOON(result, 42, 5000);
    EXPECT_EQ(callbackThread, QThread::currentThread());
    EXPECT_NE(jobThread, QThread::currentThread());
}

TEST(AsyncTask, ACallbackForAContextThatIsGoneIsDropped) {
    WorkerPool workers;
    auto gate = std::make_shared<Gate>();
    std::atomic<bool> jobDone{false};
    bool called = false;
    {
        QObject context;
        AsyncTask::runThenCallback(
            workers.pool(), &context,
            [gate, &jobDone] {
                gate->wait();
                jobDone = true;
                return 1;
            },
            [&called](int) { called = true; });
    }
    gate->release();
    ASSERT_SOON(jobDone.load(), 5000);
    ASSERT_TRUE(workers.waitForDone(5000));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_FALSE(called);
}

TEST(WorkerPool, SlowJobsDoNotHoldUpAQuickOne) {
    // More blocked jobs than this machine has cores: Qt's global pool would queue the next one.
    WorkerPool workers;
    auto gate = std::make_shared<Gate>();
    const int blocked = QThread::idealThreadCount() + 2;
    ASSERT_LT(blocked, WorkerPool::kMaxThreads);
    for (int i = 0; i < blocked; ++i) {
        AsyncTask::run(workers.pool(), [gate] { gate->wait(); });
    }
    QObject context;
    bool quickDone = false;
    AsyncTask::runThenCallback(
        workers.pool(), &context, [] { return true; }, [&quickDone](bool) { quickDone = true; });
    ASSERT_SOON(quickDone, 5000);
    EXPECT_TRUE(workers.busy());
    gate->release();
    EXPECT_TRUE(workers.waitForDone(5000));
    EXPECT_FALSE(workers.busy());
}

TEST(WorkerPool, TheEndOfARunWaitsOnlyAsLongAsItSays) {
    auto gate = std::make_shared<Gate>();
    auto finished = std::make_shared<std::atomic<bool>>(false);
    QElapsedTimer clock;
    {
        WorkerPool workers;
        AsyncTask::run(workers.pool(), [gate, finished] {
            gate->wait();
            *finished = true;
        });
        clock.start();
        EXPECT_FALSE(workers.waitForDone(100));
        // Destroying the pool now must not wait for the job that outlived the wait.
    }
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_FALSE(finished->load());
    // The abandoned job still runs to its end on what it holds.
    gate->release();
    ASSERT_SOON(finished->load(), 5000);
}
