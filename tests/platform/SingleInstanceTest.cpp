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
