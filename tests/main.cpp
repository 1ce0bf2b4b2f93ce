#include <QCoreApplication>

#include <gtest/gtest.h>

// One application object for the whole run: the code under test uses Qt's event loop, files and
// processes, which need it.
int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
