#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QtConcurrent/QtConcurrentRun>

#include <type_traits>
#include <utility>

class QThreadPool;

// The one way the client runs blocking work beside its windows: JOB runs on POOL, then CALLBACK
// is called with its result on the thread of CONTEXT. When CONTEXT is destroyed first, the
// callback is dropped, so a result never reaches a window that is gone. The job must hold copies
// of what it uses, never references into CONTEXT.
namespace AsyncTask {

template <typename Job, typename Callback>
void runThenCallback(QThreadPool* pool, QObject* context, Job&& job, Callback&& callback) {
    using Result = std::invoke_result_t<std::decay_t<Job>>;
    // The watcher belongs to the context and goes with it; its signal can then no longer fire.
    auto* watcher = new QFutureWatcher<Result>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context,
                     [watcher, done = std::forward<Callback>(callback)]() mutable {
                         if constexpr (std::is_void_v<Result>) {
                             done();
                         } else {
                             done(watcher->result());
                         }
                         watcher->deleteLater();
                     });
    watcher->setFuture(QtConcurrent::run(pool, std::forward<Job>(job)));
}

// JOB on POOL when nobody waits for its result.
template <typename Job>
void run(QThreadPool* pool, Job&& job) {
    (void)QtConcurrent::run(pool, std::forward<Job>(job));
}

}  // namespace AsyncTask
