#include "platform/Clock.h"

#include "support/ManualClock.h"

#include <QObject>

#include <gtest/gtest.h>

#include <memory>

TEST(ClockTest, SingleShotFiresOnceWhenItsTimeHasPassedAndNotAfterItsContextIsGone) {
    ManualClock clock;
    auto kept = std::make_unique<QObject>();
    auto gone = std::make_unique<QObject>();
    int keptCalls = 0;
    int goneCalls = 0;
    clock.singleShot(500, kept.get(), [&keptCalls] { ++keptCalls; });
    clock.singleShot(500, gone.get(), [&goneCalls] { ++goneCalls; });
    clock.advance(499);
    EXPECT_EQ(keptCalls, 0);
    gone.reset();
    clock.advance(1);
    EXPECT_EQ(keptCalls, 1);
    EXPECT_EQ(goneCalls, 0);
    clock.advance(5000);
    EXPECT_EQ(keptCalls, 1) << "a single shot";
}
