#include "platform/TickCount.h"

#include <chrono>

namespace TickCount {

std::uint32_t now() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

}  // namespace TickCount
