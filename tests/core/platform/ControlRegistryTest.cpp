#include "platform/ControlRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Each test works in a registry of its own.
class ControlRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_data.path().toUtf8());
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", m_previous); }

    QTemporaryDir m_data;
    QByteArray m_previous;
};

}  // namespace

TEST_F(ControlRegistryTest, RegisteredControlsAreFoundByNameAndByClassIdentifier) {
    EXPECT_EQ(ControlRegistry::filePath(), m_data.filePath(QStringLiteral("velo/controls.ini")));
    EXPECT_FALSE(ControlRegistry::hasClassId(QStringLiteral("zar.Player.1")));
    EXPECT_TRUE(ControlRegistry::moduleFor(QStringLiteral("{A}")).isEmpty());

    ASSERT_TRUE(ControlRegistry::registerControl(QStringLiteral("zar.Player.1"),
                                                 QStringLiteral("{DF24-A}"),
                                                 QStringLiteral("/opt/velo/codec/Zar.ocx")));
    ASSERT_TRUE(ControlRegistry::registerControl(QStringLiteral("other.Player.1"),
                                                 QStringLiteral("{B}"), QStringLiteral("/b.ocx")));
    EXPECT_TRUE(ControlRegistry::hasClassId(QStringLiteral("zar.Player.1")));
    EXPECT_EQ(ControlRegistry::moduleFor(QStringLiteral("{df24-a}")),
              QStringLiteral("/opt/velo/codec/Zar.ocx"))
        << "class identifiers compare without case";
    EXPECT_EQ(ControlRegistry::moduleFor(QStringLiteral("{B}")), QStringLiteral("/b.ocx"));

    // Registering again moves the control.
    ASSERT_TRUE(ControlRegistry::registerControl(QStringLiteral("zar.Player.1"),
                                                 QStringLiteral("{DF24-A}"),
                                                 QStringLiteral("/new/Zar.ocx")));
    EXPECT_EQ(ControlRegistry::moduleFor(QStringLiteral("{DF24-A}")),
              QStringLiteral("/new/Zar.ocx"));
}

TEST_F(ControlRegistryTest, AnEntryWithoutItsClassIdentifierIsNoRegistration) {
    // A registration cut short after the module line: the name alone registers nothing.
    QFile file(ControlRegistry::filePath());
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).absolutePath()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[zar.Player.1]\nModule=/half/Zar.ocx\n");
    file.close();
    EXPECT_FALSE(ControlRegistry::hasClassId(QStringLiteral("zar.Player.1")));
}
