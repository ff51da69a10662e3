#pragma once

#include "engine/pixel_scan.h"
#include "engine/stroke_trace.h"

#include <QImage>

#include <chrono>
#include <cstdint>

namespace stylorex {

// How a run moves and waits; RunSettings carries them, and so does a plan.
struct RunModes {
    // Inside a stroke, move only to the last pixel of each run of equal unit steps (horizontal,
    // vertical or 45°): a target that joins the positions of a drag draws the same line.
    bool JoinRuns = false;
    // Instead of the fixed wait, wait until the target shows the ink (engine/ink_follower.h).
    bool FollowTarget = false;
    // The target's pen, in pixels across: wider than 1, the run moves it along centre lines and
    // fills spaced by its width (PlanPenStrokes, engine/pen_plan.h) instead of every line pixel.
    std::int32_t PenWidth = 1;
};

// Whether a run waits after a move inside a stroke. With the fixed wait, after every move. A
// target followed by its ink is only waited for where the stroke turns and at its end: a target
// that lags behind and then joins its last position to where the pointer is now draws a straight
// run right however far it has fallen behind, and cuts a corner only where the direction changes.
inline bool WaitsAfterMove(bool endsStraightRun, const RunModes& modes) {
    return !modes.FollowTarget || endsStraightRun;
}

// The one walk over the strokes of `tables` that a run and its plan share, so that the plan
// counts exactly the moves and waits the run makes. For each stroke, in the run's order (the
// StrokeWalker's, whether or not runs are joined):
//   visitor.start(p)              its first pixel: the run moves there and presses;
//   visitor.move(p, endsRun)      each move inside it; endsRun when p is the last pixel of a run of
//                                 equal unit steps (always true for the last move of the stroke);
//                                 false from it ends the walk at once;
//   visitor.end(p)                its last pixel: the run releases there.
// Pixels are marked drawn as the walk passes them; a joined run's pixels are all marked when its
// move is made, and no pixel beyond the move is, so tables left by a walk that was ended hold as
// undrawn exactly what the target has not been sent.
template <typename Visitor>
void WalkRun(ScanTables& tables, bool joinRuns, Visitor& visitor) {
    StrokeWalker walker(tables);
    PixelPoint p;
    while (walker.nextStroke(p)) {
        visitor.start(p);
        PixelPoint next;
        bool more = walker.peek(next);
        while (more) {
            const int dx = next.X - p.X;
            const int dy = next.Y - p.Y;
            walker.take(next);
            p = next;
            more = walker.peek(next);
            while (more && next.X - p.X == dx && next.Y - p.Y == dy) {
                if (!joinRuns && !visitor.move(p, false)) {
                    return;
                }
                walker.take(next);
                p = next;
                more = walker.peek(next);
            }
            if (!visitor.move(p, true)) {
                return;
            }
        }
        visitor.end(p);
    }
}

// What a run of the tables will do, counted by the run's own walk (WalkRun).
struct RunPlan {
    std::int32_t strokes = 0;
    std::int32_t linePixels = 0;  // the line pixels still to draw (with a wide pen, it covers)
    std::int64_t moves = 0;       // moves inside strokes
    std::int64_t waits = 0;       // moves after which the run waits (the fixed wait or the ink)
};

// The plan of a run over `tables` as they are (after a scan: the whole picture; after a stopped
// run: what it left). The tables are not changed. Costs a copy of the tables and one walk: well
// under a millisecond for a 600 × 480 picture.
RunPlan PlanRun(const ScanTables& tables, const RunModes& modes);

// The plan of a run over `picture` (the committed persistent image) with these settings: the
// scan (ScanForRun) and PlanRun, into tables of its own.
RunPlan PlanPicture(const QImage& picture, const ExtractionSettings& extraction,
                    const RunModes& modes);

// What a run of `picture` walks: its scan (ScanPicture), planned for the pen of `modes`
// (PlanPenStrokes).
void ScanForRun(const QImage& picture, const ExtractionSettings& extraction, const RunModes& modes,
                ScanTables& tables);

// What a run costs besides its waits, through the X11 backend on a desktop with a window manager
// (docs/performance.md).
struct RunCosts {
    // A move inside a stroke with its yield and its Esc test, and the overshoot of its wait.
    std::chrono::nanoseconds move;
    // The ends of a stroke: the move to its start, the press, the move back and the release, each
    // awaited by the backend, with a click-to-focus window manager's reaction to the press.
    std::chrono::nanoseconds strokeEnds;
    // In the follow mode, one wait for a target that shows its ink at once: the screen read back
    // until it shows there.
    std::chrono::nanoseconds inkWait;
    // Once a run: the target rectangle read before the first stroke and, after the last, read
    // again until it has settled, for the check.
    std::chrono::nanoseconds check;
};

// Measured under openbox into a managed target window that handles every event.
RunCosts MeasuredRunCosts();

// How long each wait of a run in `modes` lasts at the fixed wait `fixedWaitMs`: the fixed wait,
// or in the follow mode as long as a target that shows its ink at once takes (costs.inkWait).
double ExpectedWaitMs(const RunModes& modes, double fixedWaitMs,
                      const RunCosts& costs = MeasuredRunCosts());

// The time a run of `plan` takes when each of its waits lasts `waitMs` milliseconds (the fixed
// wait; for a followed target, the time it takes to show its ink: ExpectedWaitMs, or what the
// run has seen), its check included.
std::chrono::milliseconds EstimatedRunTime(const RunPlan& plan, double waitMs,
                                           const RunCosts& costs = MeasuredRunCosts());

}  // namespace stylorex
