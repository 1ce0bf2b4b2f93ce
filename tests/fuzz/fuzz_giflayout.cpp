// The GIF block walker over arbitrary bytes: every frame it finds lies inside the data, and each
// can be cut out as a standalone GIF that walks to exactly one frame.
#include "common/GifLayout.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const GifLayout layout = GifLayout::read(bytes);
    int previousEnd = layout.headerEnd;
    for (std::size_t i = 0; i < layout.frames.size(); ++i) {
        const GifLayout::Frame& frame = layout.frames[i];
        if (frame.start != previousEnd || frame.end <= frame.start ||
            frame.end > static_cast<int>(size)) {
            __builtin_trap();
        }
        previousEnd = frame.end;
        if (GifLayout::read(layout.standaloneFrame(bytes, i)).frames.size() != 1) {
            __builtin_trap();
        }
    }
    unsigned rgb = 0;
    layout.backgroundColour(bytes, rgb);
    return 0;
}
