#include "session/SavedLogin.h"

#include "session/ConfigFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SavedLoginTest : public ::testing::Test {
protected:
    int load(const QString& record, const QDateTime& now) {
        EXPECT_EQ(m_config.writeUserInfo(record), ConfigFile::WriteResult::Written);
        m_id.clear();
        m_password.clear();
        return SavedLogin::LoadSavedLogin(m_config, m_id, m_password, now);
    }

    QTemporaryDir m_dir;
    ConfigFile m_config{m_dir.path()};
    QString m_id;
    QString m_password;
};

}  // namespace

TEST_F(SavedLoginTest, ThirtyDaysCountFromLocalMidnightOfTheSaveDay) {
    const QDate saved(2026, 11, 8);
    const QString record =
        SavedLogin::MakeRecord(QStringLiteral("a@b.jp"), QStringLiteral("pw"), saved);
    EXPECT_EQ(record, QStringLiteral("a@b.jp<EOF>pw<EOF>20261108<EOF>"));
    const QDateTime day29 = saved.addDays(29).startOfDay().addSecs(23 * 3600);
    EXPECT_EQ(load(record, day29), 1);
    EXPECT_EQ(m_id, QStringLiteral("a@b.jp"));
    EXPECT_EQ(m_password, QStringLiteral("pw"));
    EXPECT_EQ(load(record, saved.addDays(30).startOfDay()), 0);
    // A day in the future counts as fresh.
    EXPECT_EQ(load(record, saved.addDays(-3).startOfDay()), 1);
}

TEST_F(SavedLoginTest, BrokenRecordsCountAsNone) {
    const QDateTime now(QDate(2026, 12, 8), QTime(12, 0));
    EXPECT_EQ(load(QString(), now), 0);
    EXPECT_EQ(load(QStringLiteral("no markers at all"), now), 0);
    EXPECT_EQ(load(QStringLiteral("id<EOF>pw"), now), 0);
    EXPECT_EQ(load(QStringLiteral("id<EOF>pw<EOF>20261208"), now), 0);
    // Not a calendar date.
    EXPECT_EQ(load(QStringLiteral("id<EOF>pw<EOF>20260231<EOF>"), now), 0);
    EXPECT_EQ(load(QStringLiteral("id<EOF>pw<EOF>2026xx08<EOF>"), now), 0);
    EXPECT_EQ(load(QStringLiteral("id<EOF>pw<EOF>20261208<EOF>"), now), 1);
}
