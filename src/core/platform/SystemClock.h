#pragma once

#include "platform/Clock.h"

// The real time and Qt's timers.
class SystemClock : public Clock {
public:
    QDateTime now() const override;
    std::uint32_t tickCount() const override;
    std::unique_ptr<ClockTimer> createTimer(std::function<void()> fire,
                                            bool singleShot = false) override;
};
