#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QRectF>
#include <QSize>
#include <QString>

// The program's images at the density of the screen. Every image has a twin of twice its size,
// named NAME@2x beside it (":/bitmap/279@2x", "skin/UL_N@2x.bmp"); on a screen of more than one
// device pixel per pixel of the program the twin is read and marked with its device pixel ratio,
// so painters draw it at the size of the plain image, sharp, instead of magnifying that.
namespace SharpImage {

// The ratio of the images to read: 2 when any screen is denser than 1, else 1. A screen of
// 150 % gets the twin too, made smaller by the painter rather than the plain image made larger.
int ratio();
// PATH's twin for RATIO, "@2x" before the ending if it has one.
QString twinPath(const QString& path, int ratio);

// The file to read for PATH and the ratio its pixels have: the twin when the screen wants it and
// it exists, else PATH itself at 1.
struct Choice {
    QString path;
    int ratio = 1;
};
Choice choose(const QString& path);
// The same for a screen that wants images of RATIO.
Choice choose(const QString& path, int ratio);

// The image at PATH, or its twin when the screen wants it and it exists. A twin that is not
// exactly twice the plain image (a skin whose plain file was changed by hand) is not used.
QImage image(const QString& path);
QPixmap pixmap(const QString& path);
// The same with one colour transparent, the marks' and rows' way of being shaped.
QPixmap keyed(const QString& path, const QColor& transparent);

// PIXMAP made smooth to cover SIZE of the program's pixels, keeping its density.
QPixmap scaledTo(const QPixmap& pixmap, const QSize& size);
// The program's icon, at both of its densities, for windows and the tray.
QIcon programIcon();

// RECT of an image, given in the program's pixels, in the image's own: the source rectangle
// for drawing a part of it.
QRectF partOf(const QPixmap& pixmap, const QRect& rect);

// The size an image covers on the screen, in the program's pixels.
QSize sizeOf(const QImage& image);
QSize sizeOf(const QPixmap& pixmap);

}  // namespace SharpImage
