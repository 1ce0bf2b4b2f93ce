#pragma once

#include "platform/Clock.h"

#include <vector>

// A clock that only moves when the test says so. Its timers fire inside advance(), in the order
// they fall due, on the test's thread.
class ManualClock : public Clock {
public:
    explicit ManualClock(QDateTime now = QDateTime(QDate(2026, 12, 8), QTime(12, 0)),
                         std::uint32_t tick = 1000);
    ~ManualClock() override;

    QDateTime now() const override { return m_now; }
    std::uint32_t tickCount() const override { return m_tick; }
    std::unique_ptr<ClockTimer> createTimer(std::function<void()> fire,
                                            bool singleShot = false) override;

    void setNow(const QDateTime& now) { m_now = now; }
    void setTickCount(std::uint32_t tick) { m_tick = tick; }
    // Moves the time on by MS, firing every timer that falls due meanwhile.
    void advance(qint64 ms);

private:
    class Timer;
    friend class Timer;

    QDateTime m_now;
    std::uint32_t m_tick;
    qint64 m_elapsed = 0;  // since the clock was made, unlike the wrapping tick count
    std::vector<Timer*> m_timers;
};
