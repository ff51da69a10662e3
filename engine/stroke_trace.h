#pragma once

#include "engine/pixel_scan.h"

#include <cstdint>

namespace stylorex {

// The next step of a stroke from (x, y), a pixel inside 0..MaxX, 0..MaxY: the first of the
// eight neighbours, in the order down-left, down, down-right, left, right, up-left, up,
// up-right, that is a line pixel still undrawn. Neighbours outside the scanned picture are
// never looked at. Returns false with next = (-1, -1) when none qualifies. The caller clears
// Undrawn of each pixel it moves to before asking again.
bool NextStrokePoint(const ScanTables& tables, std::int16_t x, std::int16_t y, PixelPoint& next);

}  // namespace stylorex
