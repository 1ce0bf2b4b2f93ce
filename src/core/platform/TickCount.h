#pragma once

#include <cstdint>

// Milliseconds of a monotonic clock as an unsigned 32-bit count that wraps after about 49.7 days,
// the way the service expects tick counts.
namespace TickCount {

std::uint32_t now();

}  // namespace TickCount
