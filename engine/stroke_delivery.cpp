#include "engine/stroke_delivery.h"

#include <algorithm>
#include <utility>

namespace stylorex {

namespace {

// How often a run's end is handed again, and how long the target is first given to take a step
// back that cannot show.
constexpr int kHandTries = 3;
constexpr std::chrono::milliseconds kFirstPatience{2};
// Ends inked by a step back, with no end of a step right, down or down-right inked at once in
// between, after which a target is taken to join at pixel corners without waiting for a probe.
constexpr int kCornerSigns = 3;

QPoint ToPoint(PixelPoint p) {
    return QPoint(p.X, p.Y);
}

PixelPoint ToPixel(QPoint p) {
    return PixelPoint{static_cast<std::int16_t>(p.x()), static_cast<std::int16_t>(p.y())};
}

// A step up-right or down-left: a target that joins at pixel corners inks the top-left pixel of
// its 2 x 2 block instead of its end.
bool AntiDiagonal(QPoint step) {
    return step.x() * step.y() == -1;
}

// A step right, down or down-right: a target that joins at pixel corners inks where it starts
// and leaves its end to the next step.
bool InksItsStartAtCorners(QPoint step) {
    return step != QPoint(0, 0) && step.x() >= 0 && step.y() >= 0;
}

}  // namespace

FollowedDelivery::FollowedDelivery(StrokeSink& sink, InkFollower& follower, MonotonicClock& clock,
                                   QPoint origin, bool joinRuns, std::function<void()> yield)
    : sink_(sink),
      follower_(follower),
      clock_(clock),
      origin_(origin),
      joinRuns_(joinRuns),
      yield_(std::move(yield)) {}

QPoint FollowedDelivery::screen(PixelPoint p) const {
    return origin_ + ToPoint(p);
}

InkFollower::Wait FollowedDelivery::waitFor(QPoint p) {
    if (!waits()) {
        return InkFollower::Wait::Owed;
    }
    // Patient: each of these waits is for ink the target is known to owe (a press it shows at
    // once, a move along a run it has begun), which only a busy machine holds up.
    return follower_.waitForInk(
        screen(p),
        [this] {
            if (yield_) {
                yield_();
            }
            return false;  // Esc is latched: the run's next move sees it
        },
        true);
}

void FollowedDelivery::pause(std::chrono::nanoseconds time) {
    const auto until = clock_.now() + time;
    while (clock_.now() < until) {
        if (yield_) {
            yield_();
        }
        SleepTowards(clock_, until);
    }
}

void FollowedDelivery::decideJoining() {
    if (!probeLater_ || joining_ != Joining::Unknown) {
        return;
    }
    // The target works in order: once the later press shows, the probe's end has all the ink
    // it will ever get.
    if (follower_.shows(*probeLater_)) {
        joining_ = follower_.shows(*probeEnd_) ? Joining::AtCentres : Joining::AtCorners;
        probeEnd_.reset();
        probeLater_.reset();
    }
}

void FollowedDelivery::start(PixelPoint p) {
    if (probeEnd_ && !probeLater_) {
        probeLater_ = screen(p);
    }
    sink_.start(p);
    walked_ = sent_ = runStart_ = ToPoint(p);
    step_ = QPoint(0, 0);
    pressed_ = true;
    if (!waitedForFirstPress_ && !follower_.ink()) {
        // Until a wait has seen the target's ink, each gives up within InkFollower::kLimit (a
        // target may show none) and the walk goes on past the turn it waited at: a target only
        // slow with its first line (a busy machine) that then asks where the pointer is joins
        // across that turn, ink that no mending takes away. The press's ink, waited for
        // patiently once, teaches the ink and with it the patient limit of every later wait.
        waitedForFirstPress_ = true;
        waitFor(sent_);
    }
}

bool FollowedDelivery::move(PixelPoint pixel, bool endsRun) {
    follower_.notice();
    const QPoint p = ToPoint(pixel);
    const QPoint step = p - walked_;
    if (step != step_) {
        runStart_ = walked_;
        step_ = step;
    }
    walked_ = p;
    if (AntiDiagonal(step) && joining_ != Joining::AtCentres) {
        // Exact whichever way the target joins: a release here and a press there.
        beforeRelease();
        sink_.lift(ToPixel(sent_));
        sent_ = runStart_ = p;
        step_ = QPoint(0, 0);
        pressed_ = true;
        return sink_.lower(pixel);
    }
    if (joinRuns_ && !endsRun) {
        return true;
    }
    return send(p, endsRun);
}

bool FollowedDelivery::send(QPoint p, bool endsRun) {
    if (endsRun) {
        decideJoining();
    }
    if (pressed_ && freeMovesOnly_) {
        waitFor(sent_);  // until the target has taken the press, a move is lost
    }
    pressed_ = false;
    const bool followed = waits();
    bool ok = true;
    if (joining_ == Joining::AtCorners && endsRun && InksItsStartAtCorners(step_)) {
        // The target inks this run up to the pixel before its end; the end comes with the next
        // step, or with the step back before the release.
        ok = sink_.move(ToPixel(p), false);
        if (ok && p - step_ != runStart_) {
            waitFor(p - step_);
        }
    } else {
        ok = sink_.move(ToPixel(p), endsRun);
    }
    sent_ = p;
    if (!ok || !endsRun || !followed) {
        return ok;
    }
    const InkFollower::Wait wait = follower_.lastWait();
    if (wait == InkFollower::Wait::Inked && joining_ == Joining::Unknown &&
        InksItsStartAtCorners(step_)) {
        joining_ = Joining::AtCentres;  // the end of such a step inked at once: not at corners
        cornerSigns_ = 0;
    } else if (wait == InkFollower::Wait::GaveUp && joining_ != Joining::AtCorners) {
        handAgain(p);
    }
    return true;
}

void FollowedDelivery::handAgain(QPoint end) {
    if (!follower_.shows(screen(runStart_)) || follower_.shows(screen(end))) {
        return;  // nothing of the run shows (slow, covered or deaf), or the end has come after all
    }
    // A step back along the run and forth again: two moves that ink nothing but the run's own
    // pixels, the second made once the target has taken the first. Where the step back lands
    // on ink already, nothing can show that it was taken: the target is given a while, longer
    // at each try.
    const QPoint back = end - step_;
    std::chrono::nanoseconds patience = std::max<std::chrono::nanoseconds>(
        kFirstPatience, 4 * follower_.meanInkTime().value_or(std::chrono::nanoseconds(0)));
    for (int tries = 0; tries < kHandTries; ++tries, patience *= 4) {
        const bool backShows = follower_.shows(screen(back));
        sink_.nudge(ToPixel(back));
        if (backShows) {
            pause(patience);
        } else {
            waitFor(back);
        }
        // A target that joins at pixel corners inks the end with the step back, which starts
        // there; one that takes only the moves made while it is free has not even taken it.
        const bool inkedByStepBack = InksItsStartAtCorners(step_) && follower_.shows(screen(end));
        sink_.nudge(ToPixel(end));
        if (inkedByStepBack) {
            endInkedByStepBack_ = end;
            if (joining_ == Joining::Unknown && ++cornerSigns_ >= kCornerSigns) {
                joining_ = Joining::AtCorners;
            }
            return;
        }
        if (waitFor(end) == InkFollower::Wait::Inked) {
            joinRuns_ = true;
            freeMovesOnly_ = true;
            return;
        }
    }
}

void FollowedDelivery::beforeRelease() {
    // Nothing is pending here: WalkRun ends every straight run with endsRun, and a step that is
    // broken turns away from the run before it.
    if (joining_ == Joining::AtCentres || !InksItsStartAtCorners(step_)) {
        return;
    }
    if (joining_ == Joining::Unknown && !probeEnd_ && endInkedByStepBack_ != sent_) {
        probeEnd_ = screen(sent_);  // left as it is: what it shows teaches the joining
        return;
    }
    // One pixel back along the run: a target that joins at corners inks the last pixel with it,
    // any other target nothing new.
    const QPoint end = sent_;
    sent_ = end - step_;
    sink_.nudge(ToPixel(sent_));
    if (joining_ == Joining::AtCorners) {
        waitFor(end);
    }
}

void FollowedDelivery::end(PixelPoint p) {
    walked_ = ToPoint(p);
    beforeRelease();
    sink_.end(ToPixel(sent_));
}

}  // namespace stylorex
