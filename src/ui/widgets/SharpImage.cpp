#include "widgets/SharpImage.h"

#include <QBitmap>
#include <QColor>
#include <QGuiApplication>
#include <QImageReader>

namespace SharpImage {

int ratio() {
    return qGuiApp != nullptr && qGuiApp->devicePixelRatio() > 1.0 ? 2 : 1;
}

QString twinPath(const QString& path, int ratio) {
    if (ratio == 1) {
        return path;
    }
    const QString suffix = QStringLiteral("@%1x").arg(ratio);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot > slash ? path.left(dot) + suffix + path.mid(dot) : path + suffix;
}

Choice choose(const QString& path) {
    return choose(path, ratio());
}

Choice choose(const QString& path, int wanted) {
    if (wanted == 1) {
        return {path, 1};
    }
    const QString twin = twinPath(path, wanted);
    // Only the headers are read here, so asking costs no decoding.
    const QSize twinSize = QImageReader(twin).size();
    if (!twinSize.isValid()) {
        return {path, 1};
    }
    const QSize plainSize = QImageReader(path).size();
    if (plainSize.isValid() && twinSize != plainSize * wanted) {
        return {path, 1};
    }
    return {twin, wanted};
}

namespace {

// QImage or QPixmap, read from the file chosen for PATH and marked with its ratio; the plain
// file when the twin does not read after all.
template <typename Picture>
Picture read(const QString& path) {
    const Choice choice = choose(path);
    Picture picture(choice.path);
    if (picture.isNull() && choice.ratio != 1) {
        return Picture(path);
    }
    picture.setDevicePixelRatio(choice.ratio);
    return picture;
}

}  // namespace

QImage image(const QString& path) {
    return read<QImage>(path);
}

QPixmap pixmap(const QString& path) {
    return read<QPixmap>(path);
}

QPixmap keyed(const QString& path, const QColor& transparent) {
    QPixmap shaped = pixmap(path);
    if (!shaped.isNull()) {
        shaped.setMask(shaped.createMaskFromColor(transparent));
    }
    return shaped;
}

QPixmap scaledTo(const QPixmap& pixmap, const QSize& size) {
    const qreal ratio = pixmap.devicePixelRatio();
    QPixmap scaled = pixmap.scaled(size * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(ratio);
    return scaled;
}

QIcon programIcon() {
    QIcon icon;
    const QString plain = QStringLiteral(":/icon/128");
    icon.addFile(plain);
    icon.addFile(twinPath(plain, 2));
    return icon;
}

QRectF partOf(const QPixmap& pixmap, const QRect& rect) {
    const qreal ratio = pixmap.devicePixelRatio();
    return QRectF(rect.x() * ratio, rect.y() * ratio, rect.width() * ratio, rect.height() * ratio);
}

QSize sizeOf(const QImage& image) {
    const QSizeF size = image.deviceIndependentSize();
    return QSize(qRound(size.width()), qRound(size.height()));
}

QSize sizeOf(const QPixmap& pixmap) {
    const QSizeF size = pixmap.deviceIndependentSize();
    return QSize(qRound(size.width()), qRound(size.height()));
}

}  // namespace SharpImage
