#include "common/GifLayout.h"

#include "GifEncoder.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

QImage solid(int w, int h, QRgb colour) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

void put16(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xff));
    out.append(static_cast<char>(value >> 8));
}

// A GIF without a global table whose one frame brings a local table of its own, with a comment
// and an application extension before it.
QByteArray localTableGif() {
    QByteArray gif("GIF89a");
    put16(gif, 4);
    put16(gif, 2);
    gif.append('\0');  // no global table
    gif.append('\0');
    gif.append('\0');
    gif.append("\x21\xfe\x05hello\x00", 9);
    gif.append("\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    gif.append("\x21\xf9\x04\x08\x07\x00\x00\x00", 8);  // disposal 2, delay 7
    gif.append(',');
    put16(gif, 0);
    put16(gif, 0);
    put16(gif, 4);
    put16(gif, 2);
    gif.append('\x81');  // local table of 4 entries
    gif.append(QByteArray("\xff\x00\x00\x00\xff\x00\x00\x00\xff\xff\xff\xff", 12));
    gif.append('\x02');
    const QByteArray data = GifEncoder::compress({0, 1, 2, 3, 3, 2, 1, 0}, 2);
    gif.append(static_cast<char>(data.size()));
    gif.append(data);
    gif.append('\0');
    gif.append(';');
    return gif;
}

}  // namespace

TEST(GifLayout, FindsEveryFrameWithItsTimingAndPlace) {
    GifEncoder encoder(QSize(10, 8));
    encoder.addFrame(solid(10, 8, qRgb(255, 0, 0)), 0, 1);
    encoder.addFrame(solid(4, 3, qRgb(0, 0, 255)), 4, 2, QPoint(2, 1));
    encoder.addFrame(solid(5, 5, qRgb(0, 255, 0)), 5, 3, QPoint(5, 3));
    encoder.addFrame(solid(2, 2, qRgb(255, 255, 0)), 0, 1, QPoint(1, 1), false);
    const QByteArray gif = encoder.encode(true);

    const GifLayout layout = GifLayout::read(gif);
    ASSERT_TRUE(layout.isGif);
    EXPECT_EQ(layout.width, 10);
    EXPECT_EQ(layout.height, 8);
    EXPECT_GT(layout.globalTableSize, 0);
    EXPECT_EQ(layout.headerEnd, 13 + layout.globalTableSize);
    ASSERT_EQ(layout.frames.size(), 4u);
    EXPECT_EQ(layout.frames[0].delay, 0);
    EXPECT_EQ(layout.frames[1].delay, 4);
    EXPECT_EQ(layout.frames[1].disposal, 2);
    EXPECT_EQ(layout.frames[1].rect, QRect(2, 1, 4, 3));
    EXPECT_EQ(layout.frames[2].delay, 5);
    EXPECT_EQ(layout.frames[2].disposal, 3);
    EXPECT_EQ(layout.frames[3].delay, -1) << "no control extension: no timing";
    EXPECT_EQ(layout.frames[3].rect, QRect(1, 1, 2, 2));
    // Frames follow each other without a gap; the trailer comes last.
    for (std::size_t i = 1; i < layout.frames.size(); ++i) {
        EXPECT_EQ(layout.frames[i].start, layout.frames[i - 1].end);
    }
    EXPECT_EQ(gif.at(layout.frames.back().end), ';');

    // A frame made standalone is a whole GIF: header, table, its blocks, trailer.
    const QByteArray alone = layout.standaloneFrame(gif, 1);
    const GifLayout single = GifLayout::read(alone);
    ASSERT_EQ(single.frames.size(), 1u);
    EXPECT_EQ(single.frames[0].rect, QRect(2, 1, 4, 3));
    EXPECT_EQ(alone.back(), ';');
}

TEST(GifLayout, LocalTablesAndExtensionsAreWalkedOver) {
    const QByteArray gif = localTableGif();
    const GifLayout layout = GifLayout::read(gif);
    ASSERT_EQ(layout.frames.size(), 1u);
    EXPECT_EQ(layout.globalTableSize, 0);
    EXPECT_EQ(layout.frames[0].delay, 7);
    EXPECT_EQ(layout.frames[0].disposal, 2);
    EXPECT_EQ(layout.frames[0].rect, QRect(0, 0, 4, 2));
    EXPECT_EQ(layout.frames[0].end, gif.size() - 1);
    unsigned rgb = 0;
    EXPECT_FALSE(layout.backgroundColour(gif, rgb));
}

TEST(GifLayout, CutOrForeignDataKeepsWhatWasComplete) {
    GifEncoder encoder(QSize(6, 6));
    for (int i = 0; i < 3; ++i) {
        encoder.addFrame(solid(6, 6, qRgb(40 * i, 0, 0)), 10);
    }
    const QByteArray gif = encoder.encode(false);
    const GifLayout whole = GifLayout::read(gif);
    ASSERT_EQ(whole.frames.size(), 3u);
    // Cut inside the last frame's data: the two before stay.
    const GifLayout cut = GifLayout::read(gif.left(whole.frames[2].end - 2));
    EXPECT_EQ(cut.frames.size(), 2u);
    // Cut inside the screen descriptor or the table: a GIF with nothing in it.
    EXPECT_TRUE(GifLayout::read(gif.left(11)).frames.empty());
    EXPECT_TRUE(GifLayout::read(gif.left(20)).frames.empty());
    // An unknown block ends the walk.
    QByteArray strange = gif.left(whole.frames[1].start);
    strange.append('\x7f');
    strange.append(gif.mid(whole.frames[1].start));
    EXPECT_EQ(GifLayout::read(strange).frames.size(), 1u);

    const QByteArray jpeg("\xff\xd8\xff\xe0\x00\x10JFIF\x00", 11);
    EXPECT_FALSE(GifLayout::read(jpeg).isGif);
    EXPECT_FALSE(GifLayout::read(QByteArray("GI")).isGif);
}
