#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace stylorex {

// Whole numbers are made the same way everywhere: the nearest integer, a value exactly halfway
// going to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).

// Nothing when the value is not finite or its nearest integer lies outside 32 bits.
inline std::optional<std::int32_t> RoundHalfEvenIfInRange(double value) {
    // The default rounding mode, which the program never changes, sends halves to even.
    const double rounded = std::nearbyint(value);
    if (!std::isfinite(rounded) || rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rounded);
}

// Held within 32 bits; 0 for a value that is not finite.
inline std::int32_t RoundHalfEven(double value) {
    if (!std::isfinite(value)) {
        return 0;
    }
    if (const std::optional<std::int32_t> whole = RoundHalfEvenIfInRange(value)) {
        return *whole;
    }
    return value < 0 ? std::numeric_limits<std::int32_t>::min()
                     : std::numeric_limits<std::int32_t>::max();
}

}  // namespace stylorex
