// Draws every numbered image of the program into a resource folder.
// usage: imagegen RESDIR
#include "ImageSet.h"

#include <QDir>
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
    for (const char* folder : {"bitmap", "icon"}) {
        res.mkpath(QString::fromLatin1(folder));
    }
    int written = 0;
    const ImageSet images;
    for (const ImageSet::Entry& entry : images.entries()) {
        const bool icon = entry.kind == ImageSet::Kind::Icon;
        QImage image(entry.width, entry.height,
                     icon ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        image.fill(Qt::black);
        entry.draw(image);
        const QString path =
            icon ? res.filePath(QStringLiteral("icon/%1.png").arg(entry.id))
                 : res.filePath(QStringLiteral("bitmap/%1.bmp").arg(entry.id));
        // Bitmaps are plain 24-bit files, as the skin loader and masks expect.
        const QImage out = icon ? image : image.convertToFormat(QImage::Format_RGB888);
        if (!out.save(path)) {
            std::fprintf(stderr, "imagegen: cannot write %s\n", qPrintable(path));
            return 1;
        }
        ++written;
    }
    std::printf("imagegen: %d images in %s\n", written, argv[1]);
    return 0;
}
