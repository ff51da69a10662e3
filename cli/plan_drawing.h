#pragma once

#include "engine/pixel_scan.h"

#include <QImage>

#include <vector>

namespace stylorex {

// The line pixels a run draws, stroke by stroke in the run's order (the engine's WalkRun), for
// showing a plan.
struct PlanDrawing {
    // The canvas faded to a quarter of its contrast, each line pixel over it in the colour of
    // its stroke's place in the run: a ramp from blue (the first stroke) through green to red
    // (the last). Ramp colours have one channel at 255 and one at 0; no faded pixel has channels
    // further apart than 63.
    QImage image;
};

// `tables`: the scan of `canvas` (ScanPicture); they are not changed.
PlanDrawing DrawPlan(const QImage& canvas, const ScanTables& tables);
// A run in passes (a run in colour, one ink each): the strokes of every pass, one ramp over all
// of them in the run's order.
PlanDrawing DrawPlan(const QImage& canvas, const std::vector<const ScanTables*>& passes);

}  // namespace stylorex
