#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace stylorex {

// A picture coordinate of a mouse event (a float) as a whole pixel: the nearest integer, halves
// to the even neighbour (2.5 -> 2, 3.5 -> 4), as the tools and the Bezier handles expect.
inline std::int32_t RoundHalfEven(double value) {
    if (!std::isfinite(value)) {
        return 0;
    }
    const double floor = std::floor(value);
    const double fraction = value - floor;
    double rounded = floor;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0)) {
        rounded = floor + 1.0;
    }
    constexpr double kMin = std::numeric_limits<std::int32_t>::min();
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    if (rounded < kMin) {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (rounded > kMax) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(rounded);
}

// The same, held within the 16-bit range of the Bezier tool's coordinates. Pictures are at
// most 600 x 480, so the limits only matter for a pointer dragged far outside the picture.
inline std::int16_t RoundToInt16(double value) {
    const std::int32_t whole = RoundHalfEven(value);
    if (whole < std::numeric_limits<std::int16_t>::min()) {
        return std::numeric_limits<std::int16_t>::min();
    }
    if (whole > std::numeric_limits<std::int16_t>::max()) {
        return std::numeric_limits<std::int16_t>::max();
    }
    return static_cast<std::int16_t>(whole);
}

}  // namespace stylorex
