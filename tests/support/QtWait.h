#pragma once

#include <QTest>

#include <gtest/gtest.h>

// Waiting for something that happens through the event loop. QTest's QTRY_ macros report a wait
// that ran out to QTest's own log, which a GoogleTest run never reads, so the test would pass;
// these wait the same way (events processed meanwhile) and fail the test instead.
#define ASSERT_SOON(condition, timeoutMs)                                                   \
    ASSERT_TRUE(                                                                            \
        QTest::qWaitFor([&]() -> bool { return static_cast<bool>(condition); }, timeoutMs)) \
        << "still not so after " << (timeoutMs) << " ms: " #condition
#define EXPECT_SOON(condition, timeoutMs)                                                   \
    EXPECT_TRUE(                                                                            \
        QTest::qWaitFor([&]() -> bool { return static_cast<bool>(condition); }, timeoutMs)) \
        << "still not so after " << (timeoutMs) << " ms: " #condition
#define EXPECT_EQ_SOON(actual, expected, timeoutMs)                                        \
    do {                                                                                   \
        static_cast<void>(                                                                 \
            QTest::qWaitFor([&]() -> bool { return (actual) == (expected); }, timeoutMs)); \
        EXPECT_EQ(actual, expected) << "after waiting up to " << (timeoutMs) << " ms";     \
    } while (false)
