#pragma once

#include <cstdint>
#include <limits>

namespace keyweave {

// The absolute-move coordinate (0..65535 across the desktop) of the centre of a pixel:
// (pixel * 65536 + 32768) / size, rounded down, so that the system's mapping back to pixels,
// (value * size) >> 16, lands on exactly that pixel. Off-screen pixels keep their sign; a
// size of 0 or less gives 0.
inline std::int32_t AbsoluteMoveCoordinate(std::int32_t pixel, std::int32_t size) {
    if (size <= 0) {
        return 0;
    }
    const std::int64_t centre = static_cast<std::int64_t>(pixel) * 65536 + 32768;
    std::int64_t value = centre / size;
    if (centre % size != 0 && centre < 0) {
        --value;
    }
    constexpr std::int64_t low = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t high = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value < low ? low : (value > high ? high : value));
}

} // namespace keyweave
