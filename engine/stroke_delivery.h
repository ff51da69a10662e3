#pragma once

#include "engine/ink_follower.h"
#include "engine/monotonic_clock.h"
#include "engine/pixel_scan.h"

#include <QPoint>

#include <functional>
#include <optional>

namespace stylorex {

// A run's pointer operations at picture pixels, as a delivery drives them.
class StrokeSink {
  public:
    virtual ~StrokeSink() = default;
    // Moves to p and presses: a stroke begins.
    virtual void start(PixelPoint p) = 0;
    // A move to p inside a stroke, then the run's wait (the follower's wait for the ink at p
    // where `endsRun`, or the fixed wait) and its Esc test; false when the run has stopped.
    virtual bool move(PixelPoint p, bool endsRun) = 0;
    // Releases where the pointer stands, p: the stroke is complete.
    virtual void end(PixelPoint p) = 0;
    // Inside a stroke: releases where the pointer stands, p, then moves to q and presses again
    // (with the Esc test of a move: false when the run has stopped); the stroke goes on.
    virtual void lift(PixelPoint p) = 0;
    virtual bool lower(PixelPoint q) = 0;
    // Moves to p with the button as it is: no wait, no Esc test.
    virtual void nudge(PixelPoint p) = 0;
};

// How the follow mode hands a stroke's moves to the target, shaped by what the ink read back
// teaches about it during the run. It is WalkRun's visitor (walked pixel by pixel) in front of
// the run's own operations (StrokeSink), and learns two habits of the target:
//
// - Joining: a target may take pointer positions as the centres of their pixels (most do) or as
//   their top-left corners, inking along the segment between two positions the pixels under it
//   from its start up to, not including, its end. Such a target inks the top-left pixel of the
//   2 x 2 block on a step up-right or down-left, and never the last pixel of a stroke that ends
//   with a step right, down or down-right. Until it is known, every up-right or down-left step
//   is made as a release and a press (exact either way), and it is learned without a pixel
//   drawn wrong: from the first stroke that ends with such a step, once the press that starts
//   a later stroke shows its ink (the target works in order), by whether the stroke's last pixel
//   shows it too; or sooner, from run ends that show ink only once the pointer steps back from
//   them (the step inks where it starts). A target that joins at corners is then stepped one
//   pixel back before each release where the step into the last pixel left it without ink, and
//   its up-right and down-left steps stay broken. (A position half a pixel on would be exact,
//   but the X server passes none on: XInput 2 takes fractional positions, and a warp to x.5
//   reaches the clients as x.0.)
// - Taking moves: a target may take only the moves made while it is free (it selects motion
//   hints and takes the position an event carries; a press does not free it), so a straight run
//   sent at once stops inking where the target was when the run began, and a move made before it
//   has taken a press is lost. Seen as a run's end without ink while the run's start shows it:
//   the end is handed again (a step back along the run, then forth once the target has taken
//   the step), and from then on each straight run is sent as one move to its end, which the
//   target joins with a line, and the first move of a stroke waits for the press's ink.
//
// While the follower has fallen back to the fixed wait the moves are shaped as well; only the
// waits of the follower are skipped.
class FollowedDelivery {
  public:
    enum class Joining { Unknown, AtCentres, AtCorners };

    // `origin`: the screen position of picture pixel (0, 0). `joinRuns`: send each straight run
    // as one move from the start, as asked by the settings. `yield` runs between the reads of
    // the delivery's own waits.
    FollowedDelivery(StrokeSink& sink, InkFollower& follower, MonotonicClock& clock, QPoint origin,
                     bool joinRuns, std::function<void()> yield);

    // WalkRun's visitor, walked pixel by pixel (joinRuns false).
    void start(PixelPoint p);
    bool move(PixelPoint p, bool endsRun);
    void end(PixelPoint p);

    Joining joining() const { return joining_; }
    // Whether straight runs go as one move each: asked for, or learned (takesFreeMovesOnly()).
    bool joinsRuns() const { return joinRuns_; }
    bool takesFreeMovesOnly() const { return freeMovesOnly_; }

  private:
    QPoint screen(PixelPoint p) const;
    QPoint screen(QPoint p) const { return origin_ + p; }
    bool waits() const { return !follower_.fellBack() && !follower_.paintsLate(); }
    InkFollower::Wait waitFor(QPoint p);
    // Yields for `time`: for the target to take a move whose ink cannot show (its pixel has it).
    void pause(std::chrono::nanoseconds time);
    // Sends the walk's pixels up to `p` (the straight run's end when `endsRun`).
    bool send(QPoint p, bool endsRun);
    // A run's end the target showed no ink at although it showed the run's start.
    void handAgain(QPoint end);
    // Before a release (the stroke's end, or a break) at the pointer's position.
    void beforeRelease();
    void decideJoining();

    StrokeSink& sink_;
    InkFollower& follower_;
    MonotonicClock& clock_;
    QPoint origin_;
    bool joinRuns_;
    bool freeMovesOnly_ = false;
    std::function<void()> yield_;
    Joining joining_ = Joining::Unknown;

    QPoint walked_;         // the last pixel the walk gave (picture)
    QPoint sent_;           // where the pointer stands (picture)
    QPoint runStart_;       // where the straight run being walked began (picture)
    QPoint step_;           // the unit step of that run; (0, 0) at a stroke's start
    bool pressed_ = false;  // the pointer stands where the button went down, not moved since
    bool waitedForFirstPress_ = false;
    // The joining probe: the last pixel of a stroke that ended with a step right, down or
    // down-right, then the first pixel of a stroke pressed after it (both screen).
    std::optional<QPoint> probeEnd_;
    std::optional<QPoint> probeLater_;
    // The last run end that a step back inked (picture), and how many did so in a row.
    std::optional<QPoint> endInkedByStepBack_;
    int cornerSigns_ = 0;
};

}  // namespace stylorex
