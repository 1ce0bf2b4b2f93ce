#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(SingleInstance, SecondStartFindsTheFirstOnceItsWindowListens) {
    QTemporaryDir runtime;
    SingleInstance first(QStringLiteral("VELO"), runtime.path());
    ASSERT_EQ(first.acquire(), SingleInstance::Outcome::First);
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);

    // Before the first has its window the second is told it is still starting.
    SingleInstance early(QStringLiteral("VELO"), runtime.path());
    EXPECT_EQ(early.acquire(), SingleInstance::Outcome::OtherStarting);

    ASSERT_TRUE(first.listen());
    SingleInstance second(QStringLiteral("VELO"), runtime.path());
    EXPECT_EQ(second.acquire(), SingleInstance::Outcome::OtherHasWindow);
    EXPECT_TRUE(raised.wait(5000));
    EXPECT_EQ(raised.count(), 1);
}

TEST(SingleInstance, UnusableLockFolderFails) {
    QTemporaryDir runtime;
    // A file where the lock's folder should be: nothing can be created there.
    const QString blocked = runtime.filePath(QStringLiteral("blocked"));
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    SingleInstance instance(QStringLiteral("VELO"), blocked);
    EXPECT_EQ(instance.acquire(), SingleInstance::Outcome::Failed);
}

TEST(SingleInstance, AnInstanceToldTheFirstIsStartingNeverTakesItsPlace) {
    QTemporaryDir runtime;
    SingleInstance first(QStringLiteral("VELO"), runtime.path());
    ASSERT_EQ(first.acquire(), SingleInstance::Outcome::First);
    SingleInstance early(QStringLiteral("VELO"), runtime.path());
    ASSERT_EQ(early.acquire(), SingleInstance::Outcome::OtherStarting);
    // The second runs on, and its window would open the socket: it must not.
    EXPECT_FALSE(early.listen());
    ASSERT_TRUE(first.listen());
    QSignalSpy firstRaised(&first, &SingleInstance::raiseRequested);
    SingleInstance third(QStringLiteral("VELO"), runtime.path());
    EXPECT_EQ(third.acquire(), SingleInstance::Outcome::OtherHasWindow);
    EXPECT_TRUE(firstRaised.wait(5000)) << "the first instance is still the one that is found";
}
