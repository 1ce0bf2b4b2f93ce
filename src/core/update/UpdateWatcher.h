#pragma once

#include "update/UpdateCheck.h"

#include <QObject>
#include <QThread>

#include <memory>

class ServiceState;

// Runs the update check on a thread of its own for as long as the client runs, and hands its
// findings to the GUI thread as signals. The check itself blocks; this keeps it off every other
// thread and ends it promptly when asked.
class UpdateWatcher : public QObject {
    Q_OBJECT

public:
    explicit UpdateWatcher(QObject* parent = nullptr);
    ~UpdateWatcher() override;

    void setTiming(const UpdateCheck::Timing& timing) { m_timing = timing; }
    // Starts the check against STATE once; later calls do nothing.
    void start(std::shared_ptr<const ServiceState> state);
    // Ends the check and waits for its thread; nothing is reported afterwards.
    void stop();
    bool running() const { return m_thread.isRunning(); }

signals:
    void newVersionFound(const QString& text2);
    void mandatoryUpdateFound();

private:
    UpdateCheck::Timing m_timing;
    std::unique_ptr<UpdateCheck> m_check;
    QThread m_thread;
};
