#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

}  // namespace

TEST(ProgramFolder, WhatTheClientWritesGoesBesideItOrToTheUsersOwnFolder) {
    QTemporaryDir installed;
    QTemporaryDir home;
    ASSERT_TRUE(qputenv("XDG_DATA_HOME", home.path().toLocal8Bit()));
    EXPECT_EQ(ProgramFolder::dataFolder(installed.path()), installed.path())
        << "a folder the user may write keeps everything as it always did";
    EXPECT_TRUE(QDir(installed.path()).entryList(QDir::Files | QDir::Hidden).isEmpty())
        << "the probe leaves nothing behind";

    // Nobody may make a file in /proc, not even root, for whom permissions alone never refuse.
    const QString own = home.filePath(QStringLiteral("velo/program"));
    EXPECT_FALSE(ProgramFolder::isWritable(QStringLiteral("/proc")));
    EXPECT_EQ(ProgramFolder::dataFolder(QStringLiteral("/proc")), own);
    EXPECT_TRUE(QFileInfo(own).isDir());
    EXPECT_FALSE(ProgramFolder::isWritable(installed.filePath(QStringLiteral("gone"))));
    qunsetenv("XDG_DATA_HOME");
}

TEST(ProgramFolder, TheUsersCopyIsReadFirstAndTheInstalledOneForTheRest) {
    QTemporaryDir installed;
    QTemporaryDir own;
    const QString page = QStringLiteral("Advertise/Fix/index.html");
    touch(installed.filePath(page));
    EXPECT_EQ(ProgramFolder::readable(own.path(), installed.path(), page),
              installed.filePath(page));
    touch(own.filePath(page));
    EXPECT_EQ(ProgramFolder::readable(own.path(), installed.path(), page), own.filePath(page));
    EXPECT_EQ(ProgramFolder::readable(installed.path(), installed.path(), QStringLiteral("none")),
              installed.filePath(QStringLiteral("none")));
}
