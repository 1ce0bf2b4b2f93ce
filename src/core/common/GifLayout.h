#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QRect>

#include <vector>

// The block structure of a GIF file, read without decoding any picture: the screen, the global
// colour table and, for each frame, where its blocks lie and how it is to be shown. Frames are
// decoded one by one elsewhere, each as a standalone GIF made from these pieces.
struct GifLayout {
    struct Frame {
        int start = 0;     // first byte of the frame's first block
        int end = 0;       // one past its image data
        int delay = -1;    // hundredths of a second; -1 without a graphic control extension
        int disposal = 0;  // 2 restore the background, 3 restore the previous picture
        QRect rect;        // left, top, width, height of the image descriptor
    };

    bool isGif = false;
    int width = 0;
    int height = 0;
    int globalTableSize = 0;   // bytes
    int backgroundIndex = -1;  // into the global table, -1 without one
    int headerEnd = 0;         // header, screen descriptor and global table
    std::vector<Frame> frames;

    // Walks DATA. A block that is unknown or would run past the end ends the walk; the frames
    // found before it are kept.
    static GifLayout read(QByteArrayView data);

    // The colour of the background entry, or none.
    bool backgroundColour(QByteArrayView data, unsigned& rgb) const;

    // One frame as a GIF of its own: header, screen and global table, the frame's blocks and
    // the trailer.
    QByteArray standaloneFrame(QByteArrayView data, std::size_t frame) const;
};
