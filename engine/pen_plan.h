#pragma once

#include "engine/pixel_mask.h"
#include "engine/pixel_scan.h"

#include <cstdint>

namespace stylorex {

// A pen wider than one pixel: where its stamp reaches around the pointer. A pen `width` pixels
// wide inks every pixel whose centre lies within width / 2 of the pointer's pixel centre
// (dx² + dy² <= width² / 4): a 3 × 3 square at width 3, a disc 5 pixels across at width 5.
inline bool PenReaches(int width, int dx, int dy) {
    return 4 * (std::int64_t{dx} * dx + std::int64_t{dy} * dy) <= std::int64_t{width} * width;
}

// Plans the strokes of a pen `width` pixels wide over the undrawn line pixels of `tables`, in
// place: only the pixels the pen is moved along stay undrawn, the rest are marked drawn as the
// pen covers them, so that the run's walk (WalkRun) and its plan (PlanRun) go over those alone.
// Where the pen fits inside the lines, its path is the outline of where it fits and rows across
// that spaced by its width (a filled shape, a thick line: its centre line); elsewhere the
// centre lines of the lines (their skeleton); any pixel still beyond the pen's reach is a centre
// of its own. Every line pixel that was undrawn lies within the pen's reach (PenReaches) of a
// centre, and every centre is a line pixel. A width of 1 or less changes nothing: the run is
// today's pixel by pixel.
void PlanPenStrokes(ScanTables& tables, int width);

// What a run over `tables` with a pen `width` pixels wide draws: the line pixels within the
// pen's reach of an undrawn one (the picture's rectangle, MaxX + 1 × MaxY + 1). For a width of 1
// or less, the undrawn line pixels (UndrawnLinePixels).
DrawMask PenCoverage(const ScanTables& tables, int width);

}  // namespace stylorex
