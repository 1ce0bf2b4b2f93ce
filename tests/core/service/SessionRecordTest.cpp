#include "service/SessionRecord.h"

#include <gtest/gtest.h>

namespace {

// Each test starts from a fresh, signed-out record.
class SessionRecordTest : public ::testing::Test {
protected:
    SessionRecord r;
};

}  // namespace

TEST_F(SessionRecordTest, StringsAreWrittenAndReadOnlyWhileSignedIn) {
    EXPECT_FALSE(r.SetUserId(QStringLiteral("early@example.jp")));
    EXPECT_FALSE(r.SetDisplayName(QStringLiteral("early")));
    EXPECT_FALSE(r.SetPassword(QStringLiteral("secret")));

    r.SetSignedIn(1);
    EXPECT_EQ(r.IsSignedIn(), 1);
    EXPECT_EQ(r.GetUserId(), QString()) << "a refused write must not have stored anything";
    EXPECT_TRUE(r.SetUserId(QStringLiteral("user@example.jp")));
    EXPECT_TRUE(r.SetDisplayName(QStringLiteral("山田")));
    EXPECT_TRUE(r.SetPassword(QStringLiteral("pw")));
    EXPECT_EQ(r.GetUserId(), QStringLiteral("user@example.jp"));
    EXPECT_EQ(r.GetDisplayName(), QStringLiteral("山田"));
    EXPECT_EQ(r.GetPassword(), QStringLiteral("pw"));

    // Signing out hides the strings without erasing them.
    r.SetSignedIn(0);
    EXPECT_EQ(r.IsSignedIn(), 0);
    EXPECT_EQ(r.GetUserId(), QString());
    EXPECT_EQ(r.GetDisplayName(), QString());
    EXPECT_EQ(r.GetPassword(), QString());
    EXPECT_FALSE(r.SetDisplayName(QStringLiteral("other")));
    r.SetSignedIn(1);
    EXPECT_EQ(r.GetDisplayName(), QStringLiteral("山田"));

    // Only the value 1 counts as signed in.
    r.SetSignedIn(2);
    EXPECT_EQ(r.IsSignedIn(), 2);
    EXPECT_EQ(r.GetUserId(), QString());
    EXPECT_FALSE(r.SetUserId(QStringLiteral("x")));
}

TEST_F(SessionRecordTest, UseTimeIsKeptWhateverTheFlagAndComparedSigned) {
    r.SetUseTime(120);
    EXPECT_TRUE(r.HasUseTime());
    EXPECT_EQ(r.GetUseTime(), 120);
    r.SetUseTime(0);
    EXPECT_FALSE(r.HasUseTime());
    r.SetUseTime(-5);
    EXPECT_FALSE(r.HasUseTime());
    r.SetSignedIn(1);
    r.SetUseTime(1);
    r.SetSignedIn(0);
    EXPECT_TRUE(r.HasUseTime());
}
