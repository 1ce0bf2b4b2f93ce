#include "CaptchaImage.h"

#include <QRandomGenerator>

#include <array>
#include <cstdint>

namespace {

struct Colour {
    std::uint8_t red = 255;
    std::uint8_t green = 255;
    std::uint8_t blue = 255;
};

using Canvas = std::array<std::array<Colour, CaptchaImage::kWidth>, CaptchaImage::kHeight>;

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
// Each glyph pixel becomes a 2 x 2 block: digits 10 x 14 pixels, four of them with gaps fill
// the 50-pixel width and leave room to shift each one a little.
constexpr int kScale = 2;
constexpr int kCell = 12;

// One row per string, '#' for ink.
constexpr std::array<std::array<const char*, kGlyphHeight>, 10> kGlyphs = {{
    {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."},
    {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."},
    {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"},
    {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."},
    {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."},
    {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."},
    {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."},
    {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."},
    {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."},
    {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."},
}};

std::uint8_t between(QRandomGenerator& random, int low, int high) {
    return static_cast<std::uint8_t>(random.bounded(low, high + 1));
}

void plot(Canvas& canvas, int x, int y, Colour colour) {
    if (x >= 0 && x < CaptchaImage::kWidth && y >= 0 && y < CaptchaImage::kHeight) {
        canvas[y][x] = colour;
    }
}

void drawBackground(Canvas& canvas, QRandomGenerator& random) {
    for (auto& row : canvas) {
        for (Colour& pixel : row) {
            pixel = {between(random, 228, 255), between(random, 228, 255),
                     between(random, 218, 250)};
        }
    }
    // Dots and two faint lines: enough to look like a captcha, all far lighter than the
    // digits so the code stays easy to read.
    for (int i = 0; i < 70; ++i) {
        const std::uint8_t grey = between(random, 175, 215);
        plot(canvas, random.bounded(CaptchaImage::kWidth), random.bounded(CaptchaImage::kHeight),
             {grey, grey, static_cast<std::uint8_t>(grey + 20)});
    }
    for (int line = 0; line < 2; ++line) {
        const int y0 = random.bounded(CaptchaImage::kHeight);
        const int y1 = random.bounded(CaptchaImage::kHeight);
        const Colour colour{between(random, 170, 210), between(random, 185, 220),
                            between(random, 190, 230)};
        for (int x = 0; x < CaptchaImage::kWidth; ++x) {
            plot(canvas, x, y0 + (y1 - y0) * x / (CaptchaImage::kWidth - 1), colour);
        }
    }
}

void drawDigit(Canvas& canvas, int digit, int left, int top, Colour ink) {
    const auto& glyph = kGlyphs[static_cast<std::size_t>(digit)];
    for (int row = 0; row < kGlyphHeight; ++row) {
        for (int column = 0; column < kGlyphWidth; ++column) {
            if (glyph[static_cast<std::size_t>(row)][column] != '#') {
                continue;
            }
            for (int dy = 0; dy < kScale; ++dy) {
                for (int dx = 0; dx < kScale; ++dx) {
                    plot(canvas, left + column * kScale + dx, top + row * kScale + dy, ink);
                }
            }
        }
    }
}

void appendLittleEndian(QByteArray& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.append(static_cast<char>((value >> (8 * i)) & 0xFFu));
    }
}

QByteArray encodeBitmap(const Canvas& canvas) {
    // Rows of 24-bit pixels are padded to a multiple of four bytes and stored bottom-up.
    constexpr int kRowBytes = (CaptchaImage::kWidth * 3 + 3) / 4 * 4;
    constexpr int kHeaderBytes = 14 + 40;
    constexpr int kPixelBytes = kRowBytes * CaptchaImage::kHeight;
    QByteArray out;
    out.reserve(kHeaderBytes + kPixelBytes);
    out.append("BM", 2);
    appendLittleEndian(out, kHeaderBytes + kPixelBytes, 4);
    appendLittleEndian(out, 0, 4);
    appendLittleEndian(out, kHeaderBytes, 4);
    appendLittleEndian(out, 40, 4);
    appendLittleEndian(out, CaptchaImage::kWidth, 4);
    appendLittleEndian(out, CaptchaImage::kHeight, 4);
    appendLittleEndian(out, 1, 2);
    appendLittleEndian(out, 24, 2);
    appendLittleEndian(out, 0, 4);  // no compression
    appendLittleEndian(out, kPixelBytes, 4);
    appendLittleEndian(out, 2835, 4);  // 72 dots per inch, in dots per metre
    appendLittleEndian(out, 2835, 4);
    appendLittleEndian(out, 0, 4);
    appendLittleEndian(out, 0, 4);
    for (int y = CaptchaImage::kHeight - 1; y >= 0; --y) {
        for (const Colour& pixel : canvas[static_cast<std::size_t>(y)]) {
            out.append(static_cast<char>(pixel.blue));
            out.append(static_cast<char>(pixel.green));
            out.append(static_cast<char>(pixel.red));
        }
        out.append(kRowBytes - CaptchaImage::kWidth * 3, '\0');
    }
    return out;
}

}  // namespace

QByteArray CaptchaImage::render(const QString& code, QRandomGenerator& random) {
    Canvas canvas{};
    drawBackground(canvas, random);
    for (int i = 0; i < code.size() && i < 4; ++i) {
        const int digit = code.at(i).digitValue();
        if (digit < 0 || digit > 9) {
            continue;
        }
        const Colour ink{between(random, 10, 110), between(random, 10, 80),
                         between(random, 20, 120)};
        const int left = 2 + i * kCell + random.bounded(2);
        const int top = 1 + random.bounded(3);
        drawDigit(canvas, digit, left, top, ink);
    }
    return encodeBitmap(canvas);
}
