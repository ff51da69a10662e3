#pragma once

// The defaults and limits of the settings, in the one place the settings file, the engine, the
// canvas, the command line and the window all read them from.

#include <QSize>

#include <array>
#include <cstdint>

namespace stylorex {

// Extraction: mode 1 takes dark pixels (every channel at or below BlackUpper), mode 2 every
// pixel that is not white (every channel at or above WhiteUpper); no other mode exists.
inline constexpr std::int32_t kDarkPixelsMode = 1;
inline constexpr std::int32_t kNonWhitePixelsMode = 2;
inline constexpr std::int32_t kDefaultPickUpPattern = kDarkPixelsMode;
inline constexpr std::int32_t kDefaultBlackUpper = 80;
inline constexpr std::int32_t kDefaultWhiteUpper = 240;

// The wait after each pointer move, in milliseconds. The wait menu offers 0 to the longest and
// the command line takes the same; a longer wait comes only from a hand-edited settings file.
inline constexpr std::int16_t kDefaultWaitMs = 5;
inline constexpr std::int16_t kLongestWaitMs = 7;

// The canvas: its size at a first start, the bounds the custom size accepts (also the largest
// picture the command line draws), the three sizes of the canvas-size menu, and the largest
// side taken from a settings file (three images of 32767 pixels square would not fit in memory).
inline constexpr std::int16_t kDefaultCanvasSide = 200;
inline constexpr int kSmallestCanvasSide = 100;
inline constexpr int kLargestCanvasWidth = 600;
inline constexpr int kLargestCanvasHeight = 480;
inline constexpr std::array<QSize, 3> kCanvasPresets = {
    QSize(kDefaultCanvasSide, kDefaultCanvasSide), QSize(300, 300),
    QSize(kLargestCanvasWidth, kLargestCanvasHeight)};
inline constexpr std::int16_t kLargestStoredCanvasSide = 4096;

// Colour: ColourMode 1 draws the picture in the target's own colours, one swatch after another,
// beside the two one-ink modes (0: one ink, as PickUpPattern says). Dithering: 0 none, 1 ordered
// (4 × 4), 2 error diffusion. ColourOrder: 0 the ink with the most pixels first and the darkest
// last, 1 the palette's order. TimeLimit: seconds a colour run may take by its plan, 0 none.
inline constexpr std::int32_t kDefaultColourMode = 0;
inline constexpr std::int32_t kHighestDithering = 2;
inline constexpr std::int32_t kHighestColourOrder = 1;
inline constexpr std::int32_t kLongestTimeLimitSeconds = 3600;
// The most swatches a palette holds.
inline constexpr int kMostSwatches = 32;

// The target's pen, in pixels across (PenWidth): 1 draws every line pixel as today; a wider pen
// is moved along centre lines and fills spaced by its width. Wider than the widest is no pen a
// picture of at most 600 × 480 is drawn with.
inline constexpr std::int32_t kDefaultPenWidth = 1;
inline constexpr std::int32_t kWidestPen = 32;

}  // namespace stylorex
