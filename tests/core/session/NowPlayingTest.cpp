#include "session/NowPlaying.h"

#include "catalogue/ChannelList.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

ChannelInfo channel(const char* id, const char* name) {
    return ChannelInfo(0, QString::fromLatin1(id), QString::fromUtf8(name), {},
                       QStringLiteral("zar://127.0.0.1/live/") + QString::fromLatin1(id));
}

}  // namespace

TEST(NowPlayingTest, ChoosingStartingAndReturningMoveThePreviousChannelAsTheWindowsExpect) {
    NowPlaying now;
    QSignalSpy started(&now, &NowPlaying::started);
    const ChannelInfo news = channel("101", "ニュース");
    const ChannelInfo drama = channel("202", "ドラマ");

    now.choose(QStringLiteral("ニュース*"), &news, false);
    EXPECT_EQ(started.count(), 0) << "a choice is not yet a channel playing";
    now.start(news);
    EXPECT_EQ(started.count(), 1);
    EXPECT_EQ(now.name(), QStringLiteral("ニュース*")) << "the player shows the list's label";
    EXPECT_EQ(now.address(), news.address());

    now.choose(QStringLiteral("ドラマ"), &drama, false);
    now.start(drama);
    EXPECT_EQ(now.previousId(), QStringLiteral("101"));
    // The menu's play entry keeps the previous channel as it was.
    now.choose(QStringLiteral("ニュース"), &news, true);
    now.start(news);
    EXPECT_EQ(now.previousId(), QStringLiteral("101"));

    now.forgetChosenRecord();
    EXPECT_EQ(now.chosenRecord(), nullptr);
    EXPECT_EQ(now.chosenLabel(), QStringLiteral("ニュース"));

    // A close keeps what plays as the channel to return to; with nothing played it keeps what was.
    now.keepForReturn();
    EXPECT_EQ(now.previousName(), QStringLiteral("ニュース"));
    NowPlaying fresh;
    fresh.keepForReturn();
    EXPECT_TRUE(fresh.previousId().isEmpty());
}
