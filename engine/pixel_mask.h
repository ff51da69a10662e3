#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace stylorex {

// Which pixels of a rectangle a run draws (or any other yes or no per pixel): row by row, the
// rectangle's size.
struct DrawMask {
    int width = 0;
    int height = 0;
    std::vector<char> cells;

    // An empty mask of this size.
    static DrawMask Sized(int w, int h) {
        return DrawMask{w, h, std::vector<char>(static_cast<std::size_t>(w) * h, 0)};
    }
    bool at(int x, int y) const { return cells[static_cast<std::size_t>(y) * width + x] != 0; }
    void set(int x, int y) { cells[static_cast<std::size_t>(y) * width + x] = 1; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// Larger than any squared distance inside a rectangle the program reads (600 × 480, or a
// screen): the distance to a set pixel where the mask holds none.
inline constexpr std::int64_t kNoSetPixel = std::int64_t{1} << 40;

// For each pixel of `mask`, the squared Euclidean distance to the nearest set pixel (0 on one),
// kNoSetPixel when none is set. Exact, in time linear in the pixels (two passes of the lower
// envelope of parabolas), so that a wide pen or a wide tolerance costs no more than a narrow one.
std::vector<std::int64_t> SquaredDistancesToSet(const DrawMask& mask);

}  // namespace stylorex
