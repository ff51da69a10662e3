#pragma once

#include "engine/drawing_run.h"
#include "engine/pixel_scan.h"

#include <QImage>
#include <QRect>

#include <chrono>
#include <cstdint>
#include <functional>

namespace stylorex {

// What a run of a picture would do, without moving anything.
struct RunPlan {
    std::int32_t strokes = 0;
    // Moves with the button held after each stroke's first pixel; the run waits after each.
    std::int64_t movesInStrokes = 0;
    std::int64_t pixels = 0;
    // The run's waits: movesInStrokes times the wait. The moves themselves cost more on a slow
    // target.
    std::chrono::milliseconds estimatedTime{0};
    // The line pixels in picture coordinates; empty when there are none.
    QRect bounds;
};

// Each pixel of the plan in the run's order, with the number of its stroke (from 0).
using PlanVisitor = std::function<void(std::int32_t stroke, PixelPoint pixel)>;

// The plan of RunDrawing(canvas, ..., settings, ...): the same scan and the same stroke walk,
// over tables of its own. The command line's one place for the plan of a run.
RunPlan PlanRun(const QImage& canvas, const RunSettings& settings, const PlanVisitor& visit = {});

// The plan as a picture of the canvas's size: each line pixel in the colour of its stroke's
// place in the run, on a ramp from blue (the first stroke) through green to red (the last),
// over the canvas faded to a quarter of its contrast. Ramp colours have one channel at 255
// and one at 0; no faded pixel has channels further apart than 63.
QImage PlanImage(const QImage& canvas, const RunSettings& settings);

}  // namespace stylorex
