#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QSize>

#include <vector>

// Writes animated GIF files: one global palette for every frame, a graphic control extension per
// frame (delay, disposal) and, when asked, the loop extension. Colours beyond 256 are reduced to
// a fixed 6-7-6 palette; fully transparent pixels share one transparent index.
class GifEncoder {
public:
    explicit GifEncoder(QSize screen);

    // DELAY in hundredths of a second; DISPOSAL as in the file format (1 keep, 2 background,
    // 3 previous). WITHEXTENSION false leaves the frame without a graphic control extension.
    void addFrame(const QImage& image, int delay, int disposal = 1, QPoint offset = {},
                  bool withExtension = true);
    QByteArray encode(bool loop) const;

    // LZW-compresses INDICES with MINCODESIZE, as GIF image data (without the sub-blocks).
    static QByteArray compress(const std::vector<unsigned char>& indices, int minCodeSize);

private:
    struct Frame {
        QImage image;
        int delay;
        int disposal;
        QPoint offset;
        bool withExtension;
    };

    QSize m_screen;
    std::vector<Frame> m_frames;
};
