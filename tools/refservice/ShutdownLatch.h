#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// Set once when the service is asked to stop. Scripted delays wait on it, so a stop never waits
// for a delay a test asked for.
class ShutdownLatch {
public:
    void trigger();
    bool triggered() const;

    // Waits for DURATION or until the latch is set, whichever comes first. True when the whole
    // time passed.
    bool sleepFor(std::chrono::milliseconds duration) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_wake;
    bool m_triggered = false;
};
