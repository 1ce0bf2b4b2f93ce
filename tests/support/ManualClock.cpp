#include "support/ManualClock.h"

#include <algorithm>
#include <limits>

class ManualClock::Timer : public ClockTimer {
public:
    Timer(ManualClock& clock, std::function<void()> fire, bool singleShot)
        : m_clock(&clock), m_fire(std::move(fire)), m_singleShot(singleShot) {
        clock.m_timers.push_back(this);
    }
    ~Timer() override {
        if (m_clock != nullptr) {
            auto& timers = m_clock->m_timers;
            timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
        }
    }
    void start(int intervalMs) override {
        m_interval = intervalMs;
        m_active = true;
        m_due = (m_clock != nullptr ? m_clock->m_elapsed : 0) + intervalMs;
    }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }
    int interval() const override { return m_interval; }

    ManualClock* m_clock;
    std::function<void()> m_fire;
    bool m_singleShot;
    bool m_active = false;
    int m_interval = 0;
    qint64 m_due = 0;
};

ManualClock::ManualClock(QDateTime now, std::uint32_t tick) : m_now(std::move(now)), m_tick(tick) {}

ManualClock::~ManualClock() {
    for (Timer* timer : m_timers) {
        timer->m_clock = nullptr;
    }
}

std::unique_ptr<ClockTimer> ManualClock::createTimer(std::function<void()> fire, bool singleShot) {
    return std::make_unique<Timer>(*this, std::move(fire), singleShot);
}

void ManualClock::advance(qint64 ms) {
    const qint64 end = m_elapsed + ms;
    for (;;) {
        // The next timer due before the end; a timer fired may start or stop others.
        Timer* next = nullptr;
        qint64 due = std::numeric_limits<qint64>::max();
        for (Timer* timer : m_timers) {
            if (timer->m_active && timer->m_due <= end && timer->m_due < due) {
                next = timer;
                due = timer->m_due;
            }
        }
        if (next == nullptr) {
            break;
        }
        const qint64 step = due - m_elapsed;
        m_elapsed = due;
        m_tick += static_cast<std::uint32_t>(step);
        m_now = m_now.addMSecs(step);
        if (next->m_singleShot) {
            next->m_active = false;
        } else {
            next->m_due = due + std::max(1, next->m_interval);
        }
        // A copy: the timer may be destroyed by what it fires.
        const std::function<void()> fire = next->m_fire;
        fire();
    }
    const qint64 rest = end - m_elapsed;
    m_elapsed = end;
    m_tick += static_cast<std::uint32_t>(rest);
    m_now = m_now.addMSecs(rest);
}
