#pragma once

#include "engine/colour_reduction.h"
#include "engine/colour_settings.h"
#include "engine/pixel_scan.h"
#include "engine/run_plan.h"

#include <QImage>
#include <QRect>
#include <QRgb>

#include <chrono>
#include <cstddef>
#include <vector>

namespace stylorex {

// One ink of a colour run: its swatch, and its pixels as the one-ink scan takes them.
struct InkPass {
    std::size_t swatch = 0;  // in the palette
    QRgb ink = 0;
    // The scan of the ink's pixels (black on white: ReducedPicture::mask). The strokes the time
    // budget leaves out are marked drawn, so a run walks exactly the others, traced as they are
    // in the whole picture.
    ScanTables tables;
    RunPlan plan;     // what the run draws of the ink
    RunPlan leftOut;  // what the time budget leaves out (its strokes, pixels, moves and waits)
    std::chrono::milliseconds time{0};  // by the estimate, its swatch click included; 0: not drawn
    std::chrono::milliseconds leftOutTime{0};  // the strokes left out would have taken
};

// A colour run, planned: the inks with pixels, in the run's order (an ink whose strokes the time
// budget all leaves out has a pass with nothing to draw, which the run skips).
struct ColourPlan {
    std::vector<InkPass> passes;
    QSize picture;

    RunPlan total() const;
    RunPlan leftOut() const;
    std::chrono::milliseconds time() const;
    // The pixels still to draw, in picture coordinates; empty when there are none.
    QRect bounds() const;
};

// What a click on a swatch costs by the estimate: the ends of a stroke and one wait.
std::chrono::milliseconds SwatchClickTime(double waitMs);

// Reduces `picture` (the committed canvas) to the palette's inks, scans each ink's pixels as the
// dark-pixel mode scans a black-and-white picture, and orders the inks as `colour` says. With a
// time budget, every stroke of every ink is traced and estimated at `waitMs` a wait (the plan's
// estimate, EstimatedRunTime), and the longest strokes are taken first, each one that still fits
// with its ink's swatch click, until none does; the rest are left out.
ColourPlan PlanColours(const QImage& picture, const ColourSettings& colour, const RunModes& modes,
                       double waitMs);

// The palette's inks and background as the reduction takes them.
InkColours InkColoursOf(const Palette& palette);

}  // namespace stylorex
