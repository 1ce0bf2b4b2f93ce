#include "service/SessionRecord.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// The record is process-wide; each test starts from a signed-out record with known strings.
class SessionRecord : public ::testing::Test {
protected:
    void SetUp() override {
        SetSignedIn(1);
        SetUserId(QString());
        SetDisplayName(QString());
        SetPassword(QString());
        SetSignedIn(0);
        SetUseTime(0);
    }
    void TearDown() override { SetUp(); }
};

}  // namespace

TEST_F(SessionRecord, StringsAreWrittenAndReadOnlyWhileSignedIn) {
    EXPECT_FALSE(SetUserId(QStringLiteral("early@example.jp")));
    EXPECT_FALSE(SetDisplayName(QStringLiteral("early")));
    EXPECT_FALSE(SetPassword(QStringLiteral("secret")));

    SetSignedIn(1);
    EXPECT_EQ(IsSignedIn(), 1);
    EXPECT_EQ(GetUserId(), QString()) << "a refused write must not have stored anything";
    EXPECT_TRUE(SetUserId(QStringLiteral("user@example.jp")));
    EXPECT_TRUE(SetDisplayName(QStringLiteral("山田")));
    EXPECT_TRUE(SetPassword(QStringLiteral("pw")));
    EXPECT_EQ(GetUserId(), QStringLiteral("user@example.jp"));
    EXPECT_EQ(GetDisplayName(), QStringLiteral("山田"));
    EXPECT_EQ(GetPassword(), QStringLiteral("pw"));

    // Signing out hides the strings without erasing them.
    SetSignedIn(0);
    EXPECT_EQ(IsSignedIn(), 0);
    EXPECT_EQ(GetUserId(), QString());
    EXPECT_EQ(GetDisplayName(), QString());
    EXPECT_EQ(GetPassword(), QString());
    EXPECT_FALSE(SetDisplayName(QStringLiteral("other")));
    SetSignedIn(1);
    EXPECT_EQ(GetDisplayName(), QStringLiteral("山田"));

    // Only the value 1 counts as signed in.
    SetSignedIn(2);
    EXPECT_EQ(IsSignedIn(), 2);
    EXPECT_EQ(GetUserId(), QString());
    EXPECT_FALSE(SetUserId(QStringLiteral("x")));
}

TEST_F(SessionRecord, UseTimeIsKeptWhateverTheFlagAndComparedSigned) {
    SetUseTime(120);
    EXPECT_TRUE(HasUseTime());
    EXPECT_EQ(GetUseTime(), 120);
    SetUseTime(0);
    EXPECT_FALSE(HasUseTime());
    SetUseTime(-5);
    EXPECT_FALSE(HasUseTime());
    SetSignedIn(1);
    SetUseTime(1);
    SetSignedIn(0);
    EXPECT_TRUE(HasUseTime());
}

// A sign-in worker writes the record while the window reads it. Every read must see one of the
// values that were written whole, never a torn or freed string.
TEST_F(SessionRecord, ConcurrentWritersAndReadersSeeOnlyWholeValues) {
    const QString names[2] = {QStringLiteral("short"), QString(300, QChar(0x30C1))};
    std::atomic<bool> stop{false};
    std::atomic<int> readersStarted{0};
    std::atomic<int> reads{0};
    std::atomic<int> bad{0};

    std::vector<std::thread> writers;
    for (int w = 0; w < 2; ++w) {
        writers.emplace_back([&, w] {
            while (readersStarted.load() < 2) {
                std::this_thread::yield();
            }
            for (int i = 0; i < 20000; ++i) {
                SetSignedIn(1);
                SetUserId(names[(i + w) % 2]);
                SetDisplayName(names[(i + w + 1) % 2]);
                SetPassword(names[i % 2]);
                SetUseTime(i);
                if (i % 7 == 0) {
                    SetSignedIn(0);
                }
            }
        });
    }
    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r) {
        readers.emplace_back([&] {
            readersStarted.fetch_add(1);
            int own = 0;
            while (!stop.load() || own < 1000) {
                ++own;
                for (const QString& value : {GetUserId(), GetDisplayName(), GetPassword()}) {
                    if (!value.isEmpty() && value != names[0] && value != names[1]) {
                        bad.fetch_add(1);
                    }
                }
                IsSignedIn();
                HasUseTime();
                reads.fetch_add(1);
            }
        });
    }
    for (auto& t : writers) {
        t.join();
    }
    stop = true;
    for (auto& t : readers) {
        t.join();
    }
    EXPECT_EQ(bad.load(), 0);
    EXPECT_GT(reads.load(), 0);
    SetSignedIn(1);
    EXPECT_TRUE(GetUserId() == names[0] || GetUserId() == names[1]);
}
