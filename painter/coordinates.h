#pragma once

#include "common/rounding.h"

#include <cstdint>
#include <limits>

namespace stylorex {

// A picture coordinate of a mouse event (a float) as a whole pixel (RoundHalfEven), held within
// the 16-bit range of the Bezier tool's coordinates. Pictures are at most 600 x 480, so the
// limits only matter for a pointer dragged far outside the picture.
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
