#pragma once

#include <QDateTime>
#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>

// A timer made by a clock: it calls its function on the thread that made it, every interval
// while it runs, or once for a single-shot timer.
class ClockTimer {
public:
    virtual ~ClockTimer() = default;
    // Starts or restarts the timer; the first call comes one interval from now.
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    virtual int interval() const = 0;
};

// Where the client reads the time and gets its timers, so that a test can set the time instead
// of waiting for it: the day a remembered login was saved, the tick count in the keep-alive
// pulse, the two-minute balance check, the pulse's ten minutes, the player's readiness wait, the
// short pauses and the animations' frames. Every timer of the client comes from here.
class Clock {
public:
    virtual ~Clock() = default;

    // The local date and time.
    virtual QDateTime now() const = 0;
    // Milliseconds of a monotonic clock as an unsigned 32-bit count (wraps after ~49.7 days).
    virtual std::uint32_t tickCount() const = 0;
    // A stopped timer that calls FIRE; single-shot timers stop after one call.
    virtual std::unique_ptr<ClockTimer> createTimer(std::function<void()> fire,
                                                    bool singleShot = false) = 0;
    // Calls CALLBACK once, MS from now, on CONTEXT's thread (the thread that calls this), unless
    // CONTEXT is destroyed first. Made from createTimer, so a clock's own timers drive it.
    void singleShot(int ms, QObject* context, std::function<void()> callback);

    // The system's clock, with Qt's timers.
    static Clock& system();
};
