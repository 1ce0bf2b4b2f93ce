#include "widgets/SharpImage.h"

#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(SharpImage, TheTwinIsNamedWithItsRatioBeforeTheEnding) {
    const struct {
        const char* path;
        const char* twin;
    } cases[] = {
        {":/bitmap/279", ":/bitmap/279@2x"},
        {"/opt/velo/skin/UL_N.bmp", "/opt/velo/skin/UL_N@2x.bmp"},
        {"/home/a.b/skin/UL_N", "/home/a.b/skin/UL_N@2x"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SharpImage::twinPath(QString::fromUtf8(c.path), 2), QString::fromUtf8(c.twin))
            << c.path;
        EXPECT_EQ(SharpImage::twinPath(QString::fromUtf8(c.path), 1), QString::fromUtf8(c.path));
    }
}

// A skin's plain file changed by hand must not be hidden behind the program's own twin.
TEST(SharpImage, ATwinIsReadOnlyWhenItIsTwiceThePlainImage) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const auto write = [&](const QString& name, QSize size) {
        QImage image(size, QImage::Format_RGB888);
        image.fill(Qt::darkCyan);
        ASSERT_TRUE(image.save(folder.filePath(name)));
    };
    write(QStringLiteral("fits.bmp"), {4, 3});
    write(QStringLiteral("fits@2x.bmp"), {8, 6});
    write(QStringLiteral("edited.bmp"), {5, 3});
    write(QStringLiteral("edited@2x.bmp"), {8, 6});
    write(QStringLiteral("alone.bmp"), {4, 3});
    const struct {
        const char* name;
        int ratio;
        const char* read;
    } cases[] = {
        {"fits.bmp", 2, "fits@2x.bmp"},    {"fits.bmp", 1, "fits.bmp"},
        {"edited.bmp", 2, "edited.bmp"},   {"alone.bmp", 2, "alone.bmp"},
        {"missing.bmp", 2, "missing.bmp"},
    };
    for (const auto& c : cases) {
        const SharpImage::Choice choice =
            SharpImage::choose(folder.filePath(QString::fromUtf8(c.name)), c.ratio);
        EXPECT_EQ(choice.path, folder.filePath(QString::fromUtf8(c.read))) << c.name;
        EXPECT_EQ(choice.ratio, choice.path.contains(QStringLiteral("@2x")) ? 2 : 1) << c.name;
    }
}

// Every image the program shows, linked in or in its skin folder, has a twin of exactly twice
// its size, so no part of a window falls back to a magnified image on a dense screen.
TEST(SharpImage, EveryImageOfTheProgramHasATwinOfTwiceItsSize) {
    QStringList plain;
    for (const char* folder : {":/bitmap", ":/gif", ":/icon"}) {
        QDirIterator images(QString::fromLatin1(folder));
        while (images.hasNext()) {
            plain << images.next();
        }
    }
    const QDir skin(QStringLiteral(VELO_PROGRAM_DIR "/skin"));
    const QStringList skinFiles = skin.entryList({QStringLiteral("*.bmp")}, QDir::Files);
    for (const QString& name : skinFiles) {
        if (name != QLatin1String("auth.bmp")) {  // the service's captcha, not the program's
            plain << skin.filePath(name);
        }
    }
    plain.removeIf([](const QString& path) { return path.contains(QLatin1Char('@')); });
    ASSERT_GT(plain.size(), 80);
    for (const QString& path : plain) {
        const QSize size = QImageReader(path).size();
        const QSize twin = QImageReader(SharpImage::twinPath(path, 2)).size();
        EXPECT_TRUE(size.isValid()) << qPrintable(path);
        EXPECT_EQ(twin, size * 2) << qPrintable(path);
    }
}
