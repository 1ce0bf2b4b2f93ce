// Draws every numbered image of the program into a resource folder.
// usage: imagegen RESDIR
#include "AdImages.h"
#include "GifEncoder.h"
#include "ImageSet.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

namespace {

// "@2x" before a file's ending for the image of twice the size, as Qt names them.
QString sized(const QString& name, int ratio) {
    return ratio == 1 ? name : QStringLiteral("%1@%2x").arg(name).arg(ratio);
}

// An image drawn in the program's own pixels onto RATIO device pixels each.
QImage canvas(const ImageSet::Entry& entry, int ratio, QImage::Format format) {
    QImage image(entry.width * ratio, entry.height * ratio, format);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::black);
    return image;
}

bool writeEntry(const QDir& res, const ImageSet::Entry& entry, int ratio) {
    if (entry.kind == ImageSet::Kind::Gif) {
        GifEncoder gif(QSize(entry.width, entry.height) * ratio);
        for (int frame = 0; frame < entry.frames; ++frame) {
            QImage image = canvas(entry, ratio, QImage::Format_ARGB32);
            entry.drawFrame(image, frame);
            gif.addFrame(image, entry.delay);
        }
        QFile file(res.filePath(
            QStringLiteral("gif/%1.gif").arg(sized(QString::number(entry.id), ratio))));
        if (!file.open(QIODevice::WriteOnly) || file.write(gif.encode(true)) < 0) {
            std::fprintf(stderr, "imagegen: cannot write %s\n", qPrintable(file.fileName()));
            return false;
        }
        return true;
    }
    const bool theme = entry.kind == ImageSet::Kind::ThemeIcon;
    const bool icon = entry.kind == ImageSet::Kind::Icon || theme;
    QImage image =
        canvas(entry, ratio, icon ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    entry.draw(image);
    // Theme icons lie as the hicolor theme has them, so the folder installs as it is.
    const QString themeFolder = QStringLiteral("hicolor/%1x%1/apps").arg(entry.id);
    if (theme) {
        res.mkpath(themeFolder);
    }
    const QString number = sized(QString::number(entry.id), ratio);
    // The numbered bitmaps of twice the size are PNG: they are linked into the program, and a
    // BMP of twice the size is four times the bytes. The skin's stay BMP, as a skin is edited.
    const QString bitmapEnding = ratio == 1 ? QStringLiteral("bmp") : QStringLiteral("png");
    const QString path =
        theme  ? res.filePath(themeFolder + QStringLiteral("/velo.png"))
        : icon ? res.filePath(QStringLiteral("icon/%1.png").arg(number))
        : entry.kind == ImageSet::Kind::Skin
            ? res.filePath(QStringLiteral("skin/%1.bmp").arg(sized(entry.name, ratio)))
            : res.filePath(QStringLiteral("bitmap/%1.%2").arg(number, bitmapEnding));
    // Bitmaps are plain 24-bit files, as the skin loader and masks expect.
    const QImage out = icon ? image : image.convertToFormat(QImage::Format_RGB888);
    if (!out.save(path)) {
        std::fprintf(stderr, "imagegen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: imagegen RESDIR\n");
        return 2;
    }
    const QDir res(QString::fromLocal8Bit(argv[1]));
    for (const char* folder : {"bitmap", "icon", "gif", "skin", "ads"}) {
        res.mkpath(QString::fromLatin1(folder));
    }
    int written = 0;
    const ImageSet images;
    for (const ImageSet::Entry& entry : images.entries()) {
        // Every image of the program's windows also at twice its size, for screens of high
        // density; the theme's icons come in sizes of their own.
        const bool theme = entry.kind == ImageSet::Kind::ThemeIcon;
        for (int ratio = 1; ratio <= (theme ? 1 : 2); ++ratio) {
            if (!writeEntry(res, entry, ratio)) {
                return 1;
            }
            ++written;
        }
    }
    // The demo service's banner picture, which its banner page shows.
    QImage banner(AdImages::kBannerSize, AdImages::kBannerSize, QImage::Format_RGB32);
    AdImages::drawBanner(banner);
    if (!banner.save(res.filePath(QStringLiteral("ads/banner.png")))) {
        std::fprintf(stderr, "imagegen: cannot write the banner picture\n");
        return 1;
    }
    ++written;
    std::printf("imagegen: %d images in %s\n", written, argv[1]);
    return 0;
}
