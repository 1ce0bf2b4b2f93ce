#include "platform/SingleInstance.h"

#include "app/CPlayerApp.h"
#include "platform/ControlRegistry.h"
#include "playback/CDsopocx.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

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

TEST(CPlayerApp, MissingControlRegistrationStartsTheCompanion) {
    QTemporaryDir data;
    const QByteArray previous = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    ASSERT_FALSE(ControlRegistry::hasClassId(CDsopocx::kProgId));
    CPlayerApp::RegisterPlaybackControl(QStringLiteral(VELO_PROGRAM_DIR));
    // The companion runs on its own; its result shows in the registry.
    for (int i = 0; i < 250 && !ControlRegistry::hasClassId(CDsopocx::kProgId); ++i) {
        QThread::msleep(20);
    }
    EXPECT_TRUE(ControlRegistry::hasClassId(CDsopocx::kProgId));
    EXPECT_EQ(ControlRegistry::moduleFor(CDsopocx::kClassId),
              QDir(QStringLiteral(VELO_PROGRAM_DIR)).filePath(QStringLiteral("codec/Zar.ocx")));
    qputenv("XDG_DATA_HOME", previous);
}
