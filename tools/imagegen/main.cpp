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
        if (entry.kind == ImageSet::Kind::Gif) {
            GifEncoder gif(QSize(entry.width, entry.height));
            for (int frame = 0; frame < entry.frames; ++frame) {
                QImage image(entry.width, entry.height, QImage::Format_ARGB32);
                image.fill(Qt::black);
                entry.drawFrame(image, frame);
                gif.addFrame(image, entry.delay);
            }
            QFile file(res.filePath(QStringLiteral("gif/%1.gif").arg(entry.id)));
            if (!file.open(QIODevice::WriteOnly) || file.write(gif.encode(true)) < 0) {
                std::fprintf(stderr, "imagegen: cannot write %s\n", qPrintable(file.fileName()));
                return 1;
            }
            ++written;
            continue;
        }
        const bool theme = entry.kind == ImageSet::Kind::ThemeIcon;
        const bool icon = entry.kind == ImageSet::Kind::Icon || theme;
        QImage image(entry.width, entry.height,
                     icon ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        image.fill(Qt::black);
        entry.draw(image);
        // Theme icons lie as the hicolor theme has them, so the folder installs as it is.
        const QString themeFolder = QStringLiteral("hicolor/%1x%1/apps").arg(entry.id);
        if (theme) {
            res.mkpath(themeFolder);
        }
        const QString path = theme  ? res.filePath(themeFolder + QStringLiteral("/velo.png"))
                             : icon ? res.filePath(QStringLiteral("icon/%1.png").arg(entry.id))
                             : entry.kind == ImageSet::Kind::Skin
                                 ? res.filePath(QStringLiteral("skin/%1.bmp").arg(entry.name))
                                 : res.filePath(QStringLiteral("bitmap/%1.bmp").arg(entry.id));
        // Bitmaps are plain 24-bit files, as the skin loader and masks expect.
        const QImage out = icon ? image : image.convertToFormat(QImage::Format_RGB888);
        if (!out.save(path)) {
            std::fprintf(stderr, "imagegen: cannot write %s\n", qPrintable(path));
            return 1;
        }
        ++written;
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
