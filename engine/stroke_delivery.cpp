#include "engine/stroke_delivery.h"

#include <algorithm>
#include <cstdlib>
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
// The longest a probed turn and the move after it may lie apart in time for the probe to count:
// a target that joins to where the pointer is must not have had the time to take the turn alone.
constexpr std::chrono::microseconds kProbeGap{300};
// The first strokes (with a move) whose press's ink is looked at.
constexpr int kPressLessons = 8;

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
      yield_(std::move(yield)),
      pressLessons_(kPressLessons) {}

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

void FollowedDelivery::lookAtPress() {
    if (pressToLookAt_ && follower_.hasInk(pressToLookAt_->second)) {
        // The target works in order: the press has all the ink it will get.
        pressNeedsInk_ = pressNeedsInk_ || !follower_.hasInk(pressToLookAt_->first);
        pressToLookAt_.reset();
    }
}

void FollowedDelivery::start(PixelPoint p) {
    if (probeEnd_ && !probeLater_) {
        probeLater_ = screen(p);
    }
    lookAtPress();
    pressAt_ = screen(p);
    learnPress_ = pressLessons_ > 0 && !pressNeedsInk_ && !pressToLookAt_ &&
                  !follower_.fellBack() && !follower_.hasInk(pressAt_);
    sink_.start(p);
    walked_ = sent_ = runStart_ = ToPoint(p);
    step_ = QPoint(0, 0);
    pressed_ = true;
}

bool FollowedDelivery::move(PixelPoint pixel, bool endsRun) {
    follower_.notice();
    const QPoint p = ToPoint(pixel);
    std::optional<std::chrono::steady_clock::time_point> turnSentAt;
    if (heldTurn_) {
        bool ok = true;
        turnSentAt = sendHeldTurn(p, ok);
        if (!ok) {
            return false;
        }
    }
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
    if (turnSentAt) {
        return probeAt(p, endsRun, *turnSentAt);
    }
    if (joinRuns_ && !endsRun) {
        return true;
    }
    if (mayProbe(p, endsRun)) {
        heldTurn_ = p;  // sent with the next move, which decides how
        return true;
    }
    return send(p, endsRun);
}

bool FollowedDelivery::mayProbe(QPoint b, bool endsRun) const {
    return endsRun && probing_ && waits() && joining_ == Joining::AtCentres && !freeMovesOnly_ &&
           !joinRuns_ && !pressNeedsInk_ && b - step_ == sent_;
}

std::optional<std::chrono::steady_clock::time_point> FollowedDelivery::sendHeldTurn(QPoint next,
                                                                                    bool& ok) {
    const QPoint turn = *heldTurn_;
    heldTurn_.reset();
    const QPoint fromBefore = next - sent_;
    ok = true;
    if (std::max(std::abs(fromBefore.x()), std::abs(fromBefore.y())) == 1 &&
        waitFor(sent_) == InkFollower::Wait::Inked) {
        pressed_ = false;
        const auto sentAt = clock_.now();
        ok = sink_.move(ToPixel(turn), false);
        sent_ = turn;
        return sentAt;
    }
    ok = send(turn, true);
    return std::nullopt;
}

bool FollowedDelivery::probeAt(QPoint c, bool endsRun,
                               std::chrono::steady_clock::time_point sentAt) {
    const QPoint turn = sent_;
    if (!sink_.move(ToPixel(c), false)) {
        return false;
    }
    const bool together = clock_.now() - sentAt <= kProbeGap;
    sent_ = c;
    const InkFollower::Wait wait = waitFor(c);
    if (wait == InkFollower::Wait::Inked && together) {
        probing_ = false;
        if (follower_.hasInk(screen(turn))) {
            follower_.learnKeepsEveryMove();
        }  // else it joined to where the pointer was: each turn is waited for
    }
    if (endsRun) {
        afterRunEnd(c, wait);
    }
    return true;
}

bool FollowedDelivery::send(QPoint p, bool endsRun) {
    if (endsRun) {
        decideJoining();
    }
    if (pressed_ && pressNeedsInk_) {
        follower_.waitForPressInk(screen(sent_), [this] {
            if (yield_) {
                yield_();
            }
            return false;  // Esc is latched: the run's next move sees it
        });
    } else if (pressed_ && freeMovesOnly_) {
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
    afterRunEnd(p, follower_.lastWait());
    return true;
}

void FollowedDelivery::afterRunEnd(QPoint p, InkFollower::Wait wait) {
    if (wait == InkFollower::Wait::Inked && joining_ == Joining::Unknown &&
        InksItsStartAtCorners(step_)) {
        joining_ = Joining::AtCentres;  // the end of such a step inked at once: not at corners
        cornerSigns_ = 0;
    } else if (wait == InkFollower::Wait::GaveUp && joining_ != Joining::AtCorners) {
        handAgain(p);
    }
}

void FollowedDelivery::handAgain(QPoint end) {
    if (!follower_.shows(screen(runStart_)) || follower_.shows(screen(end))) {
        return;  // nothing of the run shows (slow, covered or deaf), or the end has come after all
    }
    if (follower_.showedLateInk(screen(end))) {
        return;  // it paints late: the end is on its way, and no step back may teach otherwise
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
    if (heldTurn_) {
        // The stroke's last pixel: waited for before the release, as ever.
        const QPoint last = *heldTurn_;
        heldTurn_.reset();
        if (!send(last, true)) {
            return;  // stopped: the button is up already
        }
    }
    walked_ = ToPoint(p);
    if (learnPress_ && screen(sent_) != pressAt_) {
        pressToLookAt_.emplace(pressAt_, screen(sent_));
        --pressLessons_;
    }
    beforeRelease();
    sink_.end(ToPixel(sent_));
}

}  // namespace stylorex
