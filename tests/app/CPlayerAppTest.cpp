#include "app/CPlayerApp.h"

#include "platform/ControlRegistry.h"
#include "playback/CDsopocx.h"

#include <QDir>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

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
