#include "GifEncoder.h"

#include <QHash>

#include <algorithm>
#include <unordered_map>

namespace {

void put16(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xff));
    out.append(static_cast<char>((value >> 8) & 0xff));
}

// Packs codes of varying width, least significant bit first.
class BitWriter {
public:
    void write(int code, int width) {
        m_buffer |= static_cast<std::uint32_t>(code) << m_bits;
        m_bits += width;
        while (m_bits >= 8) {
            m_out.append(static_cast<char>(m_buffer & 0xff));
            m_buffer >>= 8;
            m_bits -= 8;
        }
    }
    QByteArray finish() {
        if (m_bits > 0) {
            m_out.append(static_cast<char>(m_buffer & 0xff));
        }
        return m_out;
    }

private:
    QByteArray m_out;
    std::uint32_t m_buffer = 0;
    int m_bits = 0;
};

QRgb reduced(QRgb colour) {
    const int r = qRound(qRed(colour) * 5 / 255.0) * 255 / 5;
    const int g = qRound(qGreen(colour) * 6 / 255.0) * 255 / 6;
    const int b = qRound(qBlue(colour) * 5 / 255.0) * 255 / 5;
    return qRgb(r, g, b);
}

}  // namespace

GifEncoder::GifEncoder(QSize screen) : m_screen(screen) {}

void GifEncoder::addFrame(const QImage& image, int delay, int disposal, QPoint offset,
                          bool withExtension) {
    m_frames.push_back(
        {image.convertToFormat(QImage::Format_ARGB32), delay, disposal, offset, withExtension});
}

QByteArray GifEncoder::compress(const std::vector<unsigned char>& indices, int minCodeSize) {
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    int width = minCodeSize + 1;
    int next = end + 1;
    int limit = 1 << width;
    std::unordered_map<std::uint32_t, int> table;
    BitWriter bits;

    // After each code the width grows once the next code to be given no longer fits.
    const auto out = [&](int code) {
        bits.write(code, width);
        if (next >= limit && width < 12) {
            ++width;
            limit <<= 1;
        }
    };
    out(clear);
    if (indices.empty()) {
        out(end);
        return bits.finish();
    }
    int prefix = indices.front();
    for (std::size_t i = 1; i < indices.size(); ++i) {
        const int k = indices[i];
        const std::uint32_t key =
            static_cast<std::uint32_t>(prefix) << 8 | static_cast<std::uint32_t>(k);
        const auto found = table.find(key);
        if (found != table.end()) {
            prefix = found->second;
            continue;
        }
        out(prefix);
        if (next >= 4095) {
            out(clear);
            table.clear();
            width = minCodeSize + 1;
            limit = 1 << width;
            next = end + 1;
        } else {
            table.emplace(key, next++);
        }
        prefix = k;
    }
    out(prefix);
    out(end);
    return bits.finish();
}

QByteArray GifEncoder::encode(bool loop) const {
    // One palette for all frames: the colours used, or a fixed reduction of them.
    bool transparent = false;
    QHash<QRgb, int> colours;
    for (const Frame& frame : m_frames) {
        for (int y = 0; y < frame.image.height(); ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(frame.image.constScanLine(y));
            for (int x = 0; x < frame.image.width(); ++x) {
                if (qAlpha(line[x]) < 128) {
                    transparent = true;
                } else {
                    colours.insert(qRgb(qRed(line[x]), qGreen(line[x]), qBlue(line[x])), 0);
                }
            }
        }
    }
    const int room = transparent ? 255 : 256;
    const bool reduce = colours.size() > room;
    std::vector<QRgb> palette;
    if (transparent) {
        palette.push_back(qRgb(0, 0, 0));
    }
    QHash<QRgb, int> index;
    const auto indexOf = [&](QRgb colour) {
        const QRgb key = reduce ? reduced(colour) : colour;
        auto found = index.find(key);
        if (found == index.end()) {
            found = index.insert(key, static_cast<int>(palette.size()));
            palette.push_back(key);
        }
        return found.value();
    };
    std::vector<std::vector<unsigned char>> pixels;
    for (const Frame& frame : m_frames) {
        std::vector<unsigned char> data;
        data.reserve(static_cast<std::size_t>(frame.image.width() * frame.image.height()));
        for (int y = 0; y < frame.image.height(); ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(frame.image.constScanLine(y));
            for (int x = 0; x < frame.image.width(); ++x) {
                data.push_back(static_cast<unsigned char>(
                    qAlpha(line[x]) < 128
                        ? 0
                        : indexOf(qRgb(qRed(line[x]), qGreen(line[x]), qBlue(line[x])))));
            }
        }
        pixels.push_back(std::move(data));
    }
    int bitsPerEntry = 1;
    while ((1 << bitsPerEntry) < static_cast<int>(palette.size())) {
        ++bitsPerEntry;
    }
    palette.resize(static_cast<std::size_t>(1) << bitsPerEntry, qRgb(0, 0, 0));

    QByteArray out("GIF89a");
    put16(out, m_screen.width());
    put16(out, m_screen.height());
    out.append(static_cast<char>(0x80 | ((bitsPerEntry - 1) << 4) | (bitsPerEntry - 1)));
    out.append('\0');  // background colour index
    out.append('\0');  // square pixels
    for (const QRgb colour : palette) {
        out.append(static_cast<char>(qRed(colour)));
        out.append(static_cast<char>(qGreen(colour)));
        out.append(static_cast<char>(qBlue(colour)));
    }
    if (loop) {
        out.append("\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    }
    const int minCodeSize = std::max(2, bitsPerEntry);
    for (std::size_t f = 0; f < m_frames.size(); ++f) {
        const Frame& frame = m_frames[f];
        if (frame.withExtension) {
            out.append("\x21\xf9\x04", 3);
            out.append(static_cast<char>((frame.disposal & 7) << 2 | (transparent ? 1 : 0)));
            put16(out, frame.delay);
            out.append('\0');  // transparent index
            out.append('\0');
        }
        out.append(',');
        put16(out, frame.offset.x());
        put16(out, frame.offset.y());
        put16(out, frame.image.width());
        put16(out, frame.image.height());
        out.append('\0');  // no local colour table, not interlaced
        out.append(static_cast<char>(minCodeSize));
        const QByteArray data = compress(pixels[f], minCodeSize);
        for (qsizetype at = 0; at < data.size(); at += 255) {
            const qsizetype length = std::min<qsizetype>(255, data.size() - at);
            out.append(static_cast<char>(length));
            out.append(data.mid(at, length));
        }
        out.append('\0');
    }
    out.append(';');
    return out;
}
