#pragma once

#include <cstdint>

namespace stylorex {

// A packed colour as the platform's pixel query returns it: red in the lowest byte, green in
// the next, blue in the third. -1 is the invalid colour.
using PackedColour = std::int32_t;

constexpr PackedColour kInvalidColour = -1;

struct ColorParts {
    std::int16_t Red = 0;
    std::int16_t Green = 0;
    std::int16_t Blue = 0;
};

// Splits with truncating remainders, so every real colour gives its three bytes and the
// invalid colour -1 gives -1 in all three parts.
constexpr ColorParts SplitRGB(PackedColour v) {
    ColorParts parts;
    parts.Red = static_cast<std::int16_t>(v % 256);
    const std::int32_t low16 = v % 65536;
    parts.Green = static_cast<std::int16_t>(low16 >= 0 ? low16 / 256 : -((-low16 + 255) / 256));
    parts.Blue = static_cast<std::int16_t>(v >= 0 ? v / 65536 : -((-(v + 1)) / 65536) - 1);
    return parts;
}

constexpr PackedColour PackRGB(int red, int green, int blue) {
    return static_cast<PackedColour>(red | (green << 8) | (blue << 16));
}

}  // namespace stylorex
