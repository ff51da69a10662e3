#pragma once

#include "engine/ink_follower.h"
#include "engine/monotonic_clock.h"
#include "engine/pixel_scan.h"

#include <QPoint>

#include <array>
#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

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
// the run's own operations (StrokeSink), and learns these habits of the target:
//
// - What a step inks, for each of the eight directions on its own (StepInk). Most targets take
//   pointer positions as the centres of their pixels and ink a step's end with it. A target that
//   takes them as the top-left corners of pixels, inking along the segment between two positions
//   the pixels under it from its start up to, not including, its end, inks a step right, down or
//   down-right only where it starts (its end comes with the next step), and a step up-right or
//   down-left inks the top-left pixel of its 2 x 2 block instead of its end. A raster editor's
//   pencil inks the end of a step in six directions at once, but a step up-right or down-left
//   the same way as corners do, and then the end only if the next move goes one of the six.
//   So:
//   . a step up-right or down-left is made as a release and a press, exact whatever the target
//     does, until its direction is known to ink its end; the press's ink is awaited before the
//     next move (a target that merges the moves it has not handled yet would join across);
//   . such a direction is learned from one trial step, made only where both other pixels of its
//     2 x 2 block are line pixels of the picture, so that whatever the step inks belongs there;
//     where its end does not show before them, it gets a press of its own;
//   . any direction inks its end once a run's end that showed no ink before the move shows it
//     after; it leaves the end to the next step once the end of a run shows ink only when the
//     pointer steps back from it (kLaterSigns times), or by a probe: the last pixel of the first
//     stroke that ends so is left as it is, and once the press of a later stroke shows its ink
//     (the target works in order), whether that pixel shows too tells. A run in such a
//     direction is stepped one pixel back before each release, and what is waited for at its
//     end is the pixel before it: ink the rule says will not come is never waited for, nor left
//     for the follower to wait on later. (A position half a pixel on would be exact, but the X
//     server passes none on: XInput 2 takes fractional positions, and a warp to x.5 reaches the
//     clients as x.0.)
// - Taking moves: a target may take only the moves made while it is free (it selects motion
//   hints and takes the position an event carries; a press does not free it), so a straight run
//   sent at once stops inking where the target was when the run began, and a move made before it
//   has taken a press is lost. Seen as a run's end without ink while the run's start shows it:
//   the end is handed again (a step back along the run, then forth once the target has taken
//   the step), and from then on each straight run is sent as one move to its end, which the
//   target joins with a line, and the first move of a stroke waits for the press's ink.
// - Keeping every move: a target may handle every move it gets, however fast they come (it
//   queues its work, and may show the ink a frame or more late), or join its last position to
//   wherever the pointer is when it gets round to a move. No read-back tells the two apart
//   before the ink shows: a probe (a step on and at once back, even both moves in one write to
//   the X server) was now and then answered "keeps" by a program that merges (a busy paint program,
//   a browser), and turns sent to it without a wait become chords no mending takes away. So every
//   turn is waited for; only a target that shows its ink later than the wait's limit, in order
//   (InkFollower::paintsLate()), is followed late.
// - A press's ink: a target may drop the dab at a press when a move follows at once. Seen in
//   the first strokes as a press without ink once a later pixel of its stroke shows ink; from
//   then on the first move of a stroke waits for the press's ink, and only that.
// - Smoothing: a target may keep only positions a few pixels apart and draw a curve through
//   them a position behind the pointer (smoothed_strokes.h), so that the ink stops short of every
//   stroke's end. Looked at once, at the first run's end a wait gave up at and handing it again
//   did not ink (see Taking moves), that ends a straight run of kSmoothingStepBack pixels or more
//   away from the rest of its stroke: no ink near the end for longer than a target that paints
//   late is given (InkFollower::kLateLimit), then a step back along the run, on pixels already
//   drawn, after which the ink reaches the end. From then on each stroke is sent as
//   PlanSmoothedStroke plans it once it has been walked: each key a move of its own, a frame apart
//   or once the ink reaches the key before it, then, unless the first such stroke's release drew
//   on to its end by itself, a move past the end; the pen is taken as soft
//   (InkFollower::learnSoftPen). A soft pen's strokes go as keys as well, from the stroke after
//   it is known, each key waited for by its own ink and no move past the end.
// - Showing a stroke only on release (or only a move behind, at most once a frame): where neither
//   that run's end nor the step back showed any ink, or the follower fell back, the button is
//   released there once (learnFromRelease); ink that then shows teaches the pen's shades, and a
//   soft pen's keys take the rest of the stroke. Otherwise the button goes down again there.
// - Joining runs (as asked): a target may join two positions far apart with a curve (a painting
//   program's smoothing) instead of a line. Until a move kTrialJoin pixels long has shown every
//   pixel inked, a run goes as moves at most kTrialJoin pixels apart, each waited for, so that
//   such a target bends no farther than a pixel from it once; once a move shows a pixel left
//   out, every run goes pixel by pixel.
//
// While the follower has fallen back to the fixed wait, or the target paints late, the moves are
// shaped as well; only the waits of the follower are skipped, and nothing is learned from them
// but by the probes and the release.
class FollowedDelivery {
  public:
    // What a step in one direction inks besides its start.
    enum class StepInk {
        Unknown,
        End,     // its end, at once
        Later,   // nothing: the end comes with the next step
        Corner,  // another pixel of its 2 x 2 block, or nothing, instead of its end, which the
                 // next step may not ink either
    };

    // `origin`: the screen position of picture pixel (0, 0). `joinRuns`: send each straight run
    // as one move from the start, as asked by the settings. `yield` runs between the reads of
    // the delivery's own waits.
    FollowedDelivery(StrokeSink& sink, InkFollower& follower, MonotonicClock& clock, QPoint origin,
                     bool joinRuns, std::function<void()> yield);

    // Which pixels (picture) are line pixels: where a trial step may ink without harm. Without
    // it no trial is made, and steps up-right and down-left are always broken.
    void setLinePixels(std::function<bool(QPoint)> isLine) { isLine_ = std::move(isLine); }

    // WalkRun's visitor, walked pixel by pixel (joinRuns false).
    void start(PixelPoint p);
    bool move(PixelPoint p, bool endsRun);
    void end(PixelPoint p);

    // What has been learned of a unit step `step`.
    StepInk stepInk(QPoint step) const { return stepInk_[Direction(step)]; }
    // Whether straight runs go as one move each: asked for, or learned (takesFreeMovesOnly());
    // not once the target was seen to curve its joins.
    bool joinsRuns() const { return joinRuns_ && joins_ != Joins::Curved; }
    bool takesFreeMovesOnly() const { return freeMovesOnly_; }
    bool pressNeedsInk() const { return pressNeedsInk_; }

  private:
    static constexpr std::size_t kDirections = 9;  // (dx + 1) + 3 (dy + 1); 4, no step, unused
    static std::size_t Direction(QPoint step) {
        return static_cast<std::size_t>((step.x() + 1) + 3 * (step.y() + 1));
    }
    // The last pixel of a stroke that ended with a step in an unknown direction, left as it
    // is, then the first pixel of a stroke pressed after it (both screen).
    struct Probe {
        std::optional<QPoint> end;
        std::optional<QPoint> later;
    };

    QPoint screen(PixelPoint p) const;
    QPoint screen(QPoint p) const { return origin_ + p; }
    bool waits() const { return !follower_.fellBack() && !follower_.paintsLate(); }
    // `patient`: for ink the target is known to owe (see waitFor's use).
    InkFollower::Wait waitFor(QPoint p, bool patient = true);
    // Yields for `time`: for the target to take a move whose ink cannot show (its pixel has it).
    void pause(std::chrono::nanoseconds time);
    // Sends the walk's pixels up to `p` (the straight run's end when `endsRun`).
    bool send(QPoint p, bool endsRun);
    // A step to `p` (up-right or down-left) made as a release where the pointer stands and a
    // press at `p`.
    bool breakTo(QPoint p);
    // Whether the step to `p` may be made as a trial: see the class comment.
    bool mayTry(QPoint step, QPoint p) const;
    bool tryStep(QPoint step, QPoint p);
    // A run's end the target showed no ink at although it showed the run's start.
    void handAgain(QPoint end);
    // Before a release (the stroke's end, or a break) at the pointer's position.
    void beforeRelease();
    void decideProbes();
    // What a run's end, `p`, teaches once its wait has ended with `wait`.
    // `learns`: the end had no ink before its move, in a direction not known yet; `ink`: what
    // the run's direction was known to ink when it was sent.
    void afterRunEnd(QPoint p, InkFollower::Wait wait, bool learns, StepInk ink);
    // Before a stroke's first move: the press's ink where the target needs it.
    void beforeFirstMove();
    // Whether the walk's pixel `p`, inside a straight run that is joined, is sent all the same.
    bool splitsJoin(QPoint p) const;
    // What a joined move from `from` to `to`, its ink shown at `to`, showed inked between.
    void learnJoins(QPoint from, QPoint to);
    // The press's ink of an earlier stroke, looked at once a later pixel of it shows ink.
    void lookAtPress();
    // Adds the walk's pixels up to `p` to path_.
    void extendPath(QPoint p);
    // Reads the screen before a press while a stroke may still teach learnSmoothing.
    void readBeforePress();
    // After a stroke's release, while the pen is not known: the shades of its ink, once that shows
    // (as patient as learnFromRelease), for the first kPenLessons strokes read at their press.
    void lookAtReleasedStroke();
    // The shades of the ink along path_ since the screen was last read (InkFollower::readNow).
    void learnPenAlongPath();
    // With the pointer at the last pixel of path_ and the button down: whether the target
    // smooths (see the class comment); once learned, the pixel of path_ its ink has reached.
    // `inkless`: set when neither the end nor the step back showed any ink.
    std::optional<std::size_t> learnSmoothing(bool& inkless);
    // learnSmoothing, or learnFromRelease where it showed no ink or the follower fell back, and
    // once either is learned, the stroke's button released: the rest of it goes to the target
    // once walked.
    void lookForSmoothing();
    // The button released where the pointer stands, in a stroke the follower could not follow:
    // whether that shows ink around it whose shades tell a soft pen (then the rest of the stroke
    // is to go as keys); otherwise the button is pressed again there.
    bool learnFromRelease();
    // Whether ink shows around `p` (picture) since the press, within `time`.
    bool showsWithin(QPoint p, std::chrono::nanoseconds time);
    // Sends path_ as PlanSmoothedStroke's pieces (a soft pen's, or a smoothing target's, with
    // a move past each end where its release leaves the end out); false once the run has
    // stopped.
    bool sendSmoothed();
    // The time a smoothing target is given between two moves it is to take apart: its frame.
    std::chrono::nanoseconds frame() const;

    StrokeSink& sink_;
    InkFollower& follower_;
    MonotonicClock& clock_;
    QPoint origin_;
    bool joinRuns_;
    bool freeMovesOnly_ = false;
    // How the target joins positions far apart, as seen by the joined runs' ink.
    enum class Joins { Unknown, Straight, Curved };
    Joins joins_ = Joins::Unknown;
    std::function<void()> yield_;
    std::function<bool(QPoint)> isLine_;
    std::array<StepInk, kDirections> stepInk_{};
    std::array<Probe, kDirections> probes_{};
    // Run ends inked by a step back, by direction, with none inked at once in between.
    std::array<int, kDirections> laterSigns_{};

    QPoint walked_;         // the last pixel the walk gave (picture)
    QPoint sent_;           // where the pointer stands (picture)
    QPoint runStart_;       // where the straight run that reached sent_ began (picture)
    QPoint step_;           // the unit step of that run; (0, 0) where the button went down
    bool pressed_ = false;  // the pointer stands where the button went down, not moved since
    bool waitedForFirstPress_ = false;
    // The last run end that a step back inked (picture).
    std::optional<QPoint> endInkedByStepBack_;
    // The press's ink: where the stroke being walked was pressed (screen) and whether it is
    // looked at; the press and a later pixel of an ended stroke (screen) still to look at; how
    // many strokes are left to learn from.
    QPoint pressAt_;
    bool learnPress_ = false;
    std::optional<std::pair<QPoint, QPoint>> pressToLookAt_;
    int pressLessons_;
    bool waitedForPressLesson_ = false;  // once moves no longer wait for the ink
    bool pressNeedsInk_ = false;
    // The pixels walked in the stroke so far (picture).
    std::vector<QPoint> path_;
    bool smooths_ = false;
    // Whether a smoothing target's release draws its curve on to the last key; not known before
    // its first keyed stroke's release.
    std::optional<bool> releaseDrawsEnd_;
    int lagSigns_ = 0;              // see kLagSigns
    bool keyed_ = false;            // the stroke being walked is sent once walked (sendSmoothed)
    bool smoothingLooked_ = false;  // once, at the first stroke long enough
    int smoothingReads_;
    int releaseLessons_;        // see learnFromRelease
    int penLessons_;            // see lookAtReleasedStroke
    bool readAtPress_ = false;  // the screen was read at this stroke's press
    bool stopped_ = false;  // a smoothed stroke's move, or a lesson's press, found the run stopped
};

}  // namespace stylorex
