#include "platform/IcmpEcho.h"

#include <QElapsedTimer>

#include <arpa/inet.h>

#include <gtest/gtest.h>

TEST(IcmpEcho, TheLocalMachineAnswersBySomeMeans) {
    // Which means work depends on the machine's rights; one of them always reaches ourselves
    // (a refused TCP connection counts as the host being there).
    const IcmpEcho::Result result =
        IcmpEcho::ping(htonl(INADDR_LOOPBACK), QByteArray("DULA\0\0\0\0", 8), 1000, {9});
    EXPECT_TRUE(result.answered);
}

TEST(IcmpEcho, ASilentHostIsGivenUpAfterTheTimeOut) {
    // 240.0.0.0/4 is reserved: nothing answers there and connections to it go nowhere.
    QElapsedTimer clock;
    clock.start();
    const IcmpEcho::Result result =
        IcmpEcho::ping(inet_addr("240.0.0.1"), QByteArray("DULA\0\0\0\0", 8), 300, {80});
    EXPECT_FALSE(result.answered);
    EXPECT_LT(clock.elapsed(), 5000) << "the wait is bounded by the time-out";
}
