#include "platform/SystemClock.h"

#include "platform/TickCount.h"

#include <QTimer>

namespace {

class QtClockTimer : public ClockTimer {
public:
    QtClockTimer(std::function<void()> fire, bool singleShot) {
        m_timer.setSingleShot(singleShot);
        QObject::connect(&m_timer, &QTimer::timeout, [fire = std::move(fire)] { fire(); });
    }
    void start(int intervalMs) override { m_timer.start(intervalMs); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }
    int interval() const override { return m_timer.interval(); }

private:
    QTimer m_timer;
};

// A pending single-shot: a child of its context, so that the timer goes when the context goes.
class PendingShot : public QObject {
public:
    explicit PendingShot(QObject* context) : QObject(context) {}
    std::unique_ptr<ClockTimer> timer;
};

}  // namespace

QDateTime SystemClock::now() const {
    return QDateTime::currentDateTime();
}

std::uint32_t SystemClock::tickCount() const {
    return TickCount::now();
}

std::unique_ptr<ClockTimer> SystemClock::createTimer(std::function<void()> fire, bool singleShot) {
    return std::make_unique<QtClockTimer>(std::move(fire), singleShot);
}

void Clock::singleShot(int ms, QObject* context, std::function<void()> callback) {
    auto* shot = new PendingShot(context);
    shot->timer = createTimer(
        [shot, callback = std::move(callback)] {
            // The callback may destroy the context, and the timer with it: nothing here is
            // touched after the call but a copy.
            const std::function<void()> call = callback;
            shot->deleteLater();
            call();
        },
        true);
    shot->timer->start(ms);
}

Clock& Clock::system() {
    static SystemClock clock;
    return clock;
}
