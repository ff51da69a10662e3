#pragma once

#include "engine/pixel_scan.h"

#include <QImage>
#include <QPoint>
#include <QRgb>

#include <optional>
#include <vector>

namespace stylorex {

// Which pixels of the target rectangle a run draws: row by row, the rectangle's size.
struct DrawMask {
    int width = 0;
    int height = 0;
    std::vector<char> cells;

    bool at(int x, int y) const { return cells[static_cast<std::size_t>(y) * width + x] != 0; }
};

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
    // already have the ink's colour. Extra: a changed pixel that is no line pixel.
    std::vector<QPoint> missing;
    std::vector<QPoint> extra;
    // The follow mode ran (a screen to read, the rectangle on it), and fell back to the fixed
    // wait when the target showed no ink.
    bool followed = false;
    bool fellBack = false;
    // Passes of mending made after the first check, and the presses they made.
    int mendPasses = 0;
    int mendPresses = 0;
    // A stop (Esc, a signal) ended the wait for the rectangle to settle: no result.
    bool stopped = false;

    // The screen, read back, showed every line pixel drawn and nothing else drawn.
    bool exact() const { return outcome == Outcome::Checked && missing.empty() && extra.empty(); }
    // A run in several inks: each ink's share, in the order they were drawn (a pixel in another
    // ink than its own is missing for its own and extra for the one it shows). Empty for one ink.
    struct InkTally {
        QRgb ink = 0;
        int missing = 0;
        int extra = 0;
    };
    std::vector<InkTally> inks;
};

// Compares `after` with `before` (both the rectangle at `topLeft`, the mask's size) as above.
// Without a known ink colour it is learned from the first line pixel, in raster order, that
// changed. Nothing changed while the mask holds line pixels: NothingChanged.
RunCheck CompareTarget(const QImage& before, const QImage& after, const DrawMask& drawn,
                       std::optional<QRgb> ink, QPoint topLeft);

}  // namespace stylorex
