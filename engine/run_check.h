#pragma once

#include "engine/pixel_mask.h"
#include "engine/pixel_scan.h"

#include <QImage>
#include <QPoint>
#include <QRgb>

#include <optional>
#include <vector>

namespace stylorex {

// The line pixels of `tables` still undrawn: what a run over them draws. The rectangle is the
// scanned picture's (MaxX + 1 × MaxY + 1).
DrawMask UndrawnLinePixels(const ScanTables& tables);
// Every line pixel of `tables`, drawn or not: what a run and its resumptions draw together.
DrawMask AllLinePixels(const ScanTables& tables);

// What the screen showed after a completed run, compared with what it showed before.
struct RunCheck {
    enum class Outcome {
        None,             // no check: no screen read-back, or the run did not complete
        Checked,          // missing and extra hold the result
        OwnWindowCovers,  // the program's own window covers part of the target rectangle
        LeavesScreen,     // the rectangle leaves the screen
        Unreadable,       // the screen could not be read
        NothingChanged,   // nothing in the rectangle changed
    };
    Outcome outcome = Outcome::None;
    // Screen coordinates, in raster order. Missing: a line pixel that shows no change and did not
    // already have the ink's colour. Extra: a changed pixel that is no line pixel. Under the
    // tolerant check (tolerance > 0), both within that many pixels: see CompareTarget.
    std::vector<QPoint> missing;
    std::vector<QPoint> extra;
    // The check used: 0 the exact one; otherwise the tolerant one, with this radius in pixels.
    int tolerance = 0;
    // The follow mode ran (a screen to read, the rectangle on it), and fell back to the fixed
    // wait when the target showed no ink.
    bool followed = false;
    bool fellBack = false;
    // Passes of mending made after the first check, and the presses they made.
    int mendPasses = 0;
    int mendPresses = 0;
    // A stop (Esc, a signal) ended the wait for the rectangle to settle: no result.
    bool stopped = false;

    // The screen, read back, showed what the check asks: every line pixel drawn and nothing else
    // drawn, exactly or within the tolerance.
    bool satisfied() const {
        return outcome == Outcome::Checked && missing.empty() && extra.empty();
    }
    // Satisfied under the exact check.
    bool exact() const { return satisfied() && tolerance == 0; }
    // A run in several inks: each ink's share, in the order they were drawn (a pixel in another
    // ink than its own is missing for its own and extra for the one it shows). Empty for one ink.
    struct InkTally {
        QRgb ink = 0;
        int missing = 0;
        int extra = 0;
    };
    std::vector<InkTally> inks;
};

// Which check a run asks for: the exact one where the target's pen is one exact pixel, the
// tolerant one where it is not; Auto decides from what is known of the pen (CheckTolerance).
enum class CheckChoice { Auto, Exact, Tolerant };

// What is known of the pen a target draws with: its width in pixels (set by the user, or
// learned), and whether its ink has been seen antialiased grey or centred on pixel corners.
struct PenFacts {
    int width = 1;
    bool softOrOffset = false;
};

// The tolerance of the tolerant check for a pen `width` pixels wide: about half the width, at
// least one pixel.
int PenTolerance(int width);

// The radius the check of a run tolerates, 0 for the exact check: Exact gives 0, Tolerant the
// pen's tolerance, and Auto the exact check for a pen of one exact pixel and the pen's tolerance
// for any other. The one place that decides; what the run learns of the pen feeds `pen`.
int CheckTolerance(CheckChoice choice, const PenFacts& pen);

// Under the tolerant check, a pixel whose change from what it showed before is less than this
// share of the ink's contrast against that (the sum of the three channels' differences) is
// antialiasing fringe, not ink: it neither draws a line pixel nor counts as extra.
inline constexpr int kFaintInkDivisor = 3;

// The width of the pen whose ink `after` shows over `before` (both the mask's size) along the
// lines of `drawn`: at each pixel of a horizontal or vertical line, away from its ends and with
// no other line pixel within kPenAcross + 3 pixels on either side, the changes across it within
// kPenAcross pixels either way, each as a share of the strongest change seen, summed; the median
// of those sums, rounded. A pen of one exact pixel measures 1, one centred on pixel corners 2
// (two rows of half the contrast). Nothing where fewer than kPenSamples pixels can be measured.
inline constexpr int kPenAcross = 4;
inline constexpr int kPenSamples = 16;
std::optional<int> MeasuredPenWidth(const QImage& before, const QImage& after,
                                    const DrawMask& drawn);

// Compares `after` with `before` (both the rectangle at `topLeft`, the mask's size) as above.
// Without a known ink colour it is learned from the first line pixel, in raster order, that
// changed. Nothing changed while the mask holds line pixels: NothingChanged.
//
// With a `tolerance` of 1 or more, the tolerant check for pens that are not one exact pixel: a
// line pixel counts as drawn when ink lies within `tolerance` pixels of it, and ink counts as
// extra only farther than that from every line pixel, distances between pixel centres measured
// with half a pixel to spare (dx² + dy² <= t² + t), so that a consistent half-pixel shift (ink
// centred on the pixels' corners: two grey rows for a one-pixel line) stays within a tolerance of
// 1. Ink is what changed by at least 1 / kFaintInkDivisor of the ink's contrast there; the ink
// colour, unless known, is the strongest change near the lines.
RunCheck CompareTarget(const QImage& before, const QImage& after, const DrawMask& drawn,
                       std::optional<QRgb> ink, QPoint topLeft, int tolerance = 0);

}  // namespace stylorex
