#include "session/UserState.h"

#include "platform/IniFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class UserStateTest : public ::testing::Test {
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("velo/state.ini")); }
    void writeFile(const QByteArray& bytes) const {
        UserState(path()).save();  // makes the folder
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    QTemporaryDir m_dir;
};

}  // namespace

TEST_F(UserStateTest, EverythingComesBackAndOtherSettingsInTheFileStay) {
    writeFile("[Player]\nVolume=35\n");
    UserState state(path());
    ASSERT_TRUE(state.load());
    EXPECT_TRUE(state.geometry.isEmpty());
    EXPECT_TRUE(state.sidePanelShown);
    state.geometry = QRect(10, 20, 800, 530);
    state.maximised = true;
    state.sidePanelShown = false;
    state.collapsedGroups = {
        UserState::CollapsedKey(QStringLiteral("エンタメ"), QStringLiteral("映画")),
        UserState::CollapsedKey(QStringLiteral("a,b/c=d"))};
    state.lastChannelId = QStringLiteral("502");
    state.playLastOnStart = true;
    EXPECT_TRUE(state.toggleFavourite(QStringLiteral("Demo@Velo.example"), QStringLiteral("303")));
    EXPECT_TRUE(
        state.toggleFavourite(QStringLiteral("demo@velo.example"), QStringLiteral("1=0;x")));
    state.addRecent(QStringLiteral("taro@velo.example"), QStringLiteral("101"));
    ASSERT_TRUE(state.save());

    UserState again(path());
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.geometry, QRect(10, 20, 800, 530));
    EXPECT_TRUE(again.maximised);
    EXPECT_FALSE(again.sidePanelShown);
    EXPECT_EQ(again.collapsedGroups, state.collapsedGroups);
    EXPECT_EQ(again.lastChannelId, QStringLiteral("502"));
    EXPECT_TRUE(again.playLastOnStart);
    // By service ID, which is an e-mail address and so the same in any case.
    EXPECT_EQ(again.favourites(QStringLiteral("DEMO@velo.example")),
              (QStringList{QStringLiteral("303"), QStringLiteral("1=0;x")}));
    EXPECT_EQ(again.favourites(QStringLiteral("taro@velo.example")), QStringList());
    EXPECT_EQ(again.recents(QStringLiteral("taro@velo.example")),
              QStringList{QStringLiteral("101")});
    EXPECT_EQ(IniFile::readString(path(), u"Player", u"Volume", QString(), 16),
              QStringLiteral("35"));

    EXPECT_FALSE(again.toggleFavourite(QStringLiteral("demo@velo.example"), QStringLiteral("303")));
    EXPECT_EQ(again.favourites(QStringLiteral("demo@velo.example")),
              QStringList{QStringLiteral("1=0;x")});
}

TEST_F(UserStateTest, WhatThePlayerWroteAfterTheFileWasReadIsKeptBySaving) {
    writeFile("[Player]\nVolume=35\n");
    UserState state(path());
    ASSERT_TRUE(state.load());
    ASSERT_TRUE(IniFile::writeString(path(), u"Player", u"Volume", u"90"));
    ASSERT_TRUE(IniFile::writeString(path(), u"Player", u"Mute", u"1"));
    state.lastChannelId = QStringLiteral("201");
    ASSERT_TRUE(state.save());
    EXPECT_EQ(IniFile::readString(path(), u"Player", u"Volume", QString(), 16),
              QStringLiteral("90"));
    EXPECT_EQ(IniFile::readString(path(), u"Player", u"Mute", QString(), 16), QStringLiteral("1"));
    UserState again(path());
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.lastChannelId, QStringLiteral("201"));
}

TEST_F(UserStateTest, RecentChannelsAreTheLastTenNewestFirstEachOnce) {
    UserState state(path());
    const QString user = QStringLiteral("demo@velo.example");
    for (int id = 1; id <= 12; ++id) {
        state.addRecent(user, QString::number(id));
    }
    state.addRecent(user, QStringLiteral("5"));
    const QStringList expected{"5", "12", "11", "10", "9", "8", "7", "6", "4", "3"};
    EXPECT_EQ(state.recents(user), expected);
    ASSERT_TRUE(state.save());
    UserState again(path());
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.recents(user), expected);
}

TEST_F(UserStateTest, UnreadableOrNonsenseFilesGiveTheDefaultsAndAreReplaced) {
    UserState state(path());
    EXPECT_FALSE(state.load()) << "no file yet";

    for (const QByteArray& nonsense : {QByteArray("[Window]\nMaximised=1\n\0\x01\x02", 22),
                                       QByteArray("[Window]\nGeometry=\xff\xfe\n"),
                                       QByteArray(IniFile::kMaxFileBytes + 1, 'x')}) {
        writeFile(nonsense);
        UserState read(path());
        EXPECT_FALSE(read.load());
        EXPECT_FALSE(read.maximised);
        read.lastChannelId = QStringLiteral("7");
        ASSERT_TRUE(read.save());
        UserState again(path());
        ASSERT_TRUE(again.load());
        EXPECT_EQ(again.lastChannelId, QStringLiteral("7"));
    }

    // Values out of any sense are left at their defaults.
    writeFile("[Window]\nGeometry=0,0,-5,99999\nMaximised=yes\nSidePanel=2\n");
    ASSERT_TRUE(state.load());
    EXPECT_TRUE(state.geometry.isEmpty());
    EXPECT_FALSE(state.maximised);
    EXPECT_TRUE(state.sidePanelShown);
}
