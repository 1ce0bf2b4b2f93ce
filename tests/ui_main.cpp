#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Window tests run on Qt's offscreen platform unless a display is asked for.
int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // What a window remembers for the user goes to a folder of this run's own, so that no test
    // starts from what another left behind and none touches the user's own.
    const QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
