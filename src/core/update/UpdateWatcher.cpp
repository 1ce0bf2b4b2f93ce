#include "update/UpdateWatcher.h"

#include <QPointer>

UpdateWatcher::UpdateWatcher(QObject* parent) : QObject(parent) {}

UpdateWatcher::~UpdateWatcher() {
    stop();
}

void UpdateWatcher::start(std::shared_ptr<const ServiceState> state) {
    if (m_check) {
        return;
    }
    m_check = std::make_unique<UpdateCheck>(std::move(state));
    m_check->setTiming(m_timing);
    UpdateCheck* check = m_check.get();
    QPointer<UpdateWatcher> self(this);
    // The findings cross to the watcher's thread as queued calls; once the watcher is gone
    // they are dropped.
    connect(&m_thread, &QThread::started, [check, self] {
        check->run({[self](const QString& text2) {
                        QMetaObject::invokeMethod(
                            self, [self, text2] { emit self->newVersionFound(text2); },
                            Qt::QueuedConnection);
                    },
                    [self] {
                        QMetaObject::invokeMethod(
                            self, [self] { emit self->mandatoryUpdateFound(); },
                            Qt::QueuedConnection);
                    }});
        QThread::currentThread()->quit();
    });
    m_thread.start();
}

void UpdateWatcher::stop() {
    if (m_check) {
        m_check->stop();
        m_thread.quit();
        m_thread.wait();
    }
}
