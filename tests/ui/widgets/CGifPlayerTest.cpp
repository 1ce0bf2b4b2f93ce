#include "widgets/CGifPlayer.h"

#include "GifEncoder.h"
#include "support/ManualClock.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

namespace {

QImage solid(int w, int h, QRgb colour) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kBackground = qRgb(17, 17, 17);

// A player whose background, what disposal 2 restores, is a known colour.
class CGifPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        QPalette colours = m_player.palette();
        colours.setColor(QPalette::Button, QColor(kBackground));
        colours.setColor(QPalette::Window, QColor(kBackground));
        m_player.setPalette(colours);
    }
    QRgb at(int x, int y) const { return m_player.composed().pixel(x, y) | 0xff000000u; }

    ManualClock m_clock;
    CGifPlayer m_player{m_clock};
};

}  // namespace

TEST_F(CGifPlayerTest, FramesComposeWithTheirDisposal) {
    GifEncoder encoder(QSize(8, 8));
    encoder.addFrame(solid(8, 8, kRed), 20, 1);                  // stays
    encoder.addFrame(solid(4, 4, kBlue), 20, 2, QPoint(0, 0));   // then the background
    encoder.addFrame(solid(4, 4, kGreen), 20, 3, QPoint(4, 4));  // then what was there
    ASSERT_EQ(m_player.Load(encoder.encode(true)), 1);
    EXPECT_EQ(m_player.frameCount(), 3);
    EXPECT_EQ(m_player.GetSize(), QSize(8, 8));

    m_player.showNextFrame();  // red, kept
    EXPECT_EQ(at(6, 6), kRed);
    m_player.showNextFrame();  // blue, then its corner returns to the background
    EXPECT_EQ(at(1, 1), kBackground);
    EXPECT_EQ(at(6, 6), kRed);
    m_player.showNextFrame();  // green, then the red under it comes back; the round starts over
    EXPECT_EQ(at(6, 6), kBackground) << "a new round starts from the background";
}

TEST_F(CGifPlayerTest, RestoringThePreviousPictureBringsBackWhatWasUnder) {
    GifEncoder encoder(QSize(8, 8));
    encoder.addFrame(solid(8, 8, kRed), 20, 1);
    encoder.addFrame(solid(4, 4, kGreen), 20, 3, QPoint(4, 4));
    encoder.addFrame(solid(2, 2, kBlue), 20, 1, QPoint(0, 0));
    ASSERT_EQ(m_player.Load(encoder.encode(true)), 1);
    m_player.showNextFrame();
    m_player.showNextFrame();
    EXPECT_EQ(at(6, 6), kRed) << "the green frame's area is restored after it";
}

TEST_F(CGifPlayerTest, DelaysBelowFiveHundredthsShowForATenthOfASecond) {
    GifEncoder encoder(QSize(2, 2));
    encoder.addFrame(solid(2, 2, kRed), 0);
    encoder.addFrame(solid(2, 2, kBlue), 4);
    encoder.addFrame(solid(2, 2, kGreen), 5);
    encoder.addFrame(solid(2, 2, kRed), 37);
    encoder.addFrame(solid(2, 2, kBlue), 0, 1, {}, false);
    ASSERT_EQ(m_player.Load(encoder.encode(true)), 1);
    EXPECT_EQ(m_player.frameDelayMs(0), 100);
    EXPECT_EQ(m_player.frameDelayMs(1), 100);
    EXPECT_EQ(m_player.frameDelayMs(2), 50);
    EXPECT_EQ(m_player.frameDelayMs(3), 370);
    EXPECT_EQ(m_player.frameDelayMs(4), 100) << "a frame without timing does not hold forever";
}

TEST_F(CGifPlayerTest, EachFrameStaysForItsOwnDelay) {
    GifEncoder encoder(QSize(2, 2));
    encoder.addFrame(solid(2, 2, kRed), 20);
    encoder.addFrame(solid(2, 2, kBlue), 50);
    ASSERT_EQ(m_player.Load(encoder.encode(true)), 1);
    EXPECT_EQ(m_player.Draw(), 0);
    const struct {
        int advanceMs;
        QRgb shown;
    } steps[] = {{0, kRed}, {199, kRed}, {1, kBlue}, {499, kBlue}, {1, kRed}, {200, kBlue}};
    for (const auto& step : steps) {
        m_clock.advance(step.advanceMs);
        EXPECT_EQ(at(0, 0), step.shown) << "after " << step.advanceMs << " ms more";
    }
    m_player.Stop();
    m_clock.advance(1000);
    EXPECT_EQ(at(0, 0), kBlue) << "a stopped animation stays where it was";
}

TEST_F(CGifPlayerTest, StillPicturesDrawOnceWithoutAnimating) {
    GifEncoder one(QSize(3, 3));
    one.addFrame(solid(3, 3, kGreen), 20);
    ASSERT_EQ(m_player.Load(one.encode(false)), 1);
    EXPECT_EQ(m_player.Draw(), 1);
    EXPECT_FALSE(m_player.isAnimating());
    EXPECT_EQ(at(1, 1), kGreen);

    // Not a GIF: shown through the ordinary picture reader.
    QImage picture = solid(5, 4, kBlue);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(picture.save(&buffer, "JPG"));
    ASSERT_EQ(m_player.Load(jpeg), 1);
    EXPECT_EQ(m_player.GetSize(), QSize(5, 4));
    EXPECT_EQ(m_player.Draw(), 1);
    EXPECT_FALSE(m_player.isAnimating());

    EXPECT_EQ(m_player.Load(QByteArray("not a picture")), 0);
    EXPECT_FALSE(m_player.isLoaded());
    EXPECT_EQ(m_player.Draw(), 0);
}

TEST_F(CGifPlayerTest, UnloadWhilePlayingStopsTheAnimationFirst) {
    GifEncoder encoder(QSize(20, 20));
    for (int i = 0; i < 6; ++i) {
        encoder.addFrame(solid(20, 20, qRgb(i * 40, 0, 0)), 0);
    }
    for (int round = 0; round < 5; ++round) {
        ASSERT_EQ(m_player.Load(encoder.encode(true)), 1);
        EXPECT_EQ(m_player.Draw(), 0);
        EXPECT_TRUE(m_player.isAnimating());
        m_clock.advance(30 * round);
        m_player.Unload();
        EXPECT_FALSE(m_player.isAnimating());
        EXPECT_FALSE(m_player.isLoaded());
        EXPECT_TRUE(m_player.composed().isNull());
    }
}

TEST(CGifPlayerResources, TheProgramsAnimationsLoad) {
    for (const int id : {225, 246, 247, 248, 249, 255}) {
        ManualClock clock;
        CGifPlayer player(clock);
        EXPECT_EQ(player.LoadFromResource(QStringLiteral(":/gif/%1").arg(id)), 1) << id;
        EXPECT_GT(player.frameCount(), 1) << id;
        EXPECT_EQ(player.frameDelayMs(0), 200) << id;
    }
}
