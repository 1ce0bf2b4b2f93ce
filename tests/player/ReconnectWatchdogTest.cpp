#include "player/ReconnectWatchdog.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using State = ReconnectWatchdog::State;

// Fails every load made from NOW on and returns the pauses between failure and reload.
std::vector<qint64> backOffs(ReconnectWatchdog& watchdog, qint64& now, int loads) {
    std::vector<qint64> pauses;
    for (int i = 0; i < loads; ++i) {
        watchdog.failed(now);
        const qint64 failedAt = now;
        while (!watchdog.reloadDue(now)) {
            now += 250;
        }
        pauses.push_back(now - failedAt);
    }
    return pauses;
}

}  // namespace

TEST(ReconnectWatchdogTest, ReloadsBackOffThenKeepTryingEveryThirtySeconds) {
    ReconnectWatchdog watchdog;
    qint64 now = 0;
    watchdog.start(now);
    const std::vector<qint64> expected{1000, 2000, 4000, 8000, 16000, 30000, 30000};
    EXPECT_EQ(backOffs(watchdog, now, 7), expected);
    EXPECT_EQ(watchdog.failures(), 7);
    EXPECT_TRUE(watchdog.givenUp());
    EXPECT_EQ(watchdog.state(), State::Loading);
}

TEST(ReconnectWatchdogTest, GivesUpAfterFiveFailuresInARow) {
    ReconnectWatchdog watchdog;
    qint64 now = 0;
    watchdog.start(now);
    backOffs(watchdog, now, 4);
    EXPECT_FALSE(watchdog.givenUp());
    watchdog.failed(now);
    EXPECT_TRUE(watchdog.givenUp());
}

TEST(ReconnectWatchdogTest, MissingFirstFrameAndStallsCountAsFailures) {
    ReconnectWatchdog watchdog;
    watchdog.start(0);
    EXPECT_FALSE(watchdog.reloadDue(9999));
    EXPECT_EQ(watchdog.state(), State::Loading);
    EXPECT_FALSE(watchdog.reloadDue(10000));  // no first frame within 10 s: failed, wait 1 s
    EXPECT_EQ(watchdog.state(), State::Waiting);
    EXPECT_EQ(watchdog.retryAt(), 11000);
    EXPECT_TRUE(watchdog.reloadDue(11000));

    watchdog.progress(11500);
    EXPECT_TRUE(watchdog.playing());
    watchdog.progress(15000);
    EXPECT_FALSE(watchdog.reloadDue(22999));
    EXPECT_TRUE(watchdog.playing());
    EXPECT_FALSE(watchdog.reloadDue(23000));  // 8 s without a frame or a position
    EXPECT_EQ(watchdog.state(), State::Waiting);
    EXPECT_EQ(watchdog.failures(), 2);
    EXPECT_EQ(watchdog.retryAt(), 25000);
}

TEST(ReconnectWatchdogTest, ThirtySecondsOfHealthyPlayStartTheCountAgain) {
    ReconnectWatchdog watchdog;
    qint64 now = 0;
    watchdog.start(now);
    backOffs(watchdog, now, 3);
    watchdog.progress(now);
    for (qint64 t = now; t <= now + 29000; t += 1000) {
        watchdog.progress(t);
    }
    EXPECT_EQ(watchdog.failures(), 3);  // not yet
    now += 30000;
    watchdog.progress(now);
    EXPECT_EQ(watchdog.failures(), 0);
    watchdog.failed(now);
    EXPECT_EQ(watchdog.retryAt(), now + 1000);
}

TEST(ReconnectWatchdogTest, ACancelledOrIdleWatchdogNeverReloads) {
    ReconnectWatchdog watchdog;
    EXPECT_FALSE(watchdog.reloadDue(100000));
    watchdog.failed(0);  // nothing wanted: no failure to count
    EXPECT_EQ(watchdog.failures(), 0);
    watchdog.start(0);
    watchdog.failed(10);
    watchdog.cancel();
    EXPECT_FALSE(watchdog.reloadDue(100000));
    EXPECT_EQ(watchdog.state(), State::Idle);
    // A frame that arrives late for a cancelled channel does not make it play.
    watchdog.progress(100001);
    EXPECT_FALSE(watchdog.playing());
}

TEST(ReconnectWatchdogTest, FailuresWhileWaitingAreNotCountedTwice) {
    ReconnectWatchdog watchdog;
    watchdog.start(0);
    watchdog.failed(0);
    watchdog.failed(100);  // the same failure reported again while the reload waits
    EXPECT_EQ(watchdog.failures(), 1);
    EXPECT_EQ(watchdog.retryAt(), 1000);
}
