#include "common/GifLayout.h"

namespace {

class Reader {
public:
    explicit Reader(QByteArrayView data) : m_data(data) {}
    int size() const { return static_cast<int>(m_data.size()); }
    int at(int pos) const { return static_cast<unsigned char>(m_data[pos]); }
    int word(int pos) const { return at(pos) | at(pos + 1) << 8; }
    bool has(int pos, int count) const { return pos >= 0 && count >= 0 && pos + count <= size(); }

    // Skips length-prefixed sub-blocks from POS through their zero terminator; -1 when they
    // run past the end.
    int skipSubBlocks(int pos) const {
        while (has(pos, 1)) {
            const int length = at(pos);
            ++pos;
            if (length == 0) {
                return pos;
            }
            pos += length;
        }
        return -1;
    }

private:
    QByteArrayView m_data;
};

}  // namespace

GifLayout GifLayout::read(QByteArrayView data) {
    GifLayout layout;
    const Reader in(data);
    if (!in.has(0, 13) || data.first(3) != QByteArrayView("GIF")) {
        return layout;
    }
    layout.isGif = true;
    layout.width = in.word(6);
    layout.height = in.word(8);
    const int packed = in.at(10);
    if ((packed & 0x80) != 0) {
        layout.globalTableSize = 3 * (1 << ((packed & 7) + 1));
        layout.backgroundIndex = in.at(11);
    }
    layout.headerEnd = 13 + layout.globalTableSize;
    if (!in.has(0, layout.headerEnd)) {
        return layout;
    }

    int pos = layout.headerEnd;
    Frame frame;
    frame.start = pos;
    while (in.has(pos, 1)) {
        const int kind = in.at(pos);
        if (kind == '!') {
            if (!in.has(pos, 2)) {
                break;
            }
            const int label = in.at(pos + 1);
            if (label == 0xF9) {
                if (!in.has(pos, 8)) {
                    break;
                }
                frame.disposal = (in.at(pos + 3) >> 2) & 7;
                frame.delay = in.word(pos + 4);
                pos += 8;
            } else if (label == 0xFE || label == 0x01 || label == 0xFF) {
                pos = in.skipSubBlocks(pos + 2);
                if (pos < 0) {
                    break;
                }
            } else {
                break;
            }
        } else if (kind == ',') {
            if (!in.has(pos, 10)) {
                break;
            }
            frame.rect =
                QRect(in.word(pos + 1), in.word(pos + 3), in.word(pos + 5), in.word(pos + 7));
            const int local = in.at(pos + 9);
            int next = pos + 10;
            if ((local & 0x80) != 0) {
                next += 3 * (1 << ((local & 7) + 1));
            }
            next += 1;  // the LZW code size
            if (!in.has(0, next)) {
                break;
            }
            next = in.skipSubBlocks(next);
            if (next < 0) {
                break;
            }
            frame.end = next;
            layout.frames.push_back(frame);
            pos = next;
            frame = Frame();
            frame.start = pos;
        } else {
            break;  // the trailer, or something unknown
        }
    }
    return layout;
}

bool GifLayout::backgroundColour(QByteArrayView data, unsigned& rgb) const {
    const int at = 13 + 3 * backgroundIndex;
    if (backgroundIndex < 0 || at + 3 > 13 + globalTableSize || at + 3 > data.size()) {
        return false;
    }
    const auto byte = [&](int i) {
        return static_cast<unsigned>(static_cast<unsigned char>(data[i]));
    };
    rgb = 0xFF000000u | byte(at) << 16 | byte(at + 1) << 8 | byte(at + 2);
    return true;
}

QByteArray GifLayout::standaloneFrame(QByteArrayView data, std::size_t frame) const {
    const Frame& f = frames.at(frame);
    QByteArray out;
    out.reserve(headerEnd + (f.end - f.start) + 1);
    out.append(data.first(headerEnd).toByteArray());
    out.append(data.sliced(f.start, f.end - f.start).toByteArray());
    out.append(';');
    return out;
}
