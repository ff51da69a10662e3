#include "engine/stroke_delivery.h"

#include "engine/smoothed_strokes.h"

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

namespace stylorex {

namespace {

// How often a run's end is handed again, and how long the target is first given to take a step
// back that cannot show.
constexpr int kHandTries = 3;
constexpr std::chrono::milliseconds kFirstPatience{2};
// Ends of runs in one direction inked by a step back, with none inked at once in between, after
// which the direction is taken to leave its end to the next step without waiting for a probe.
constexpr int kLaterSigns = 3;
// While how the target joins is not known, the farthest apart two moves of a joined run go.
constexpr int kTrialJoin = 4;
// The first strokes (with a move) whose press's ink is looked at.
constexpr int kPressLessons = 8;
// Whether a target smooths is looked at once, at the end of a straight run of at least
// kSmoothingStepBack pixels in a stroke at least kSmoothingLesson pixels long (walked since its
// press or break), in the first kSmoothingReads strokes (each costs a read of the screen). The
// end is given kSmoothingPatience to show ink (what a target that paints seconds late is given as
// well), then the step back, farther than such targets' least distance between the positions they
// keep from the last one kept (at most that distance from the end), kSmoothingFrames frames.
constexpr std::size_t kSmoothingLesson = 12;
constexpr int kSmoothingStepBack = 12;
constexpr int kSmoothingReads = 64;
constexpr std::chrono::milliseconds kSmoothingPatience = InkFollower::kLateLimit;
constexpr int kSmoothingFrames = 10;
// A smoothing target's frame until its ink has shown how long one takes, and the longest taken.
constexpr std::chrono::milliseconds kFirstFrame{20};
constexpr std::chrono::milliseconds kLongestFrame{50};
// Keys in a row whose ink showed only with the next one, after which a soft pen's target is taken
// to draw a key behind, as a smoothing one does.
constexpr int kLagSigns = 3;
// The strokes whose ink a target that shows none around the pointer (the follower fell back, or
// neither a run's end nor a step back showed any) is asked for by a release, to learn a soft pen
// from the shades it shows, until one shows any ink.
constexpr int kReleaseLessons = 2;
// The strokes whose ink, once released, is looked at for a soft pen's shades while the pen is
// not known (each needs the screen read at its press).
constexpr int kPenLessons = 4;

QPoint ToPoint(PixelPoint p) {
    return QPoint(p.X, p.Y);
}

PixelPoint ToPixel(QPoint p) {
    return PixelPoint{static_cast<std::int16_t>(p.x()), static_cast<std::int16_t>(p.y())};
}

// A dot's step aside for a soft pen, from the corner of pixel p the pen centres on to the pixel's
// other top corner: a line that ends in round caps half a pixel beyond stays within a pixel of p.
QPoint Aside(QPoint p) {
    return p + QPoint(1, 0);
}

// A step up-right or down-left: targets that do not ink its end ink the top-left pixel of its
// 2 x 2 block instead, a pixel that may not be the picture's.
bool AntiDiagonal(QPoint step) {
    return step.x() * step.y() == -1;
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
      pressLessons_(kPressLessons),
      smoothingReads_(kSmoothingReads),
      releaseLessons_(kReleaseLessons),
      penLessons_(kPenLessons) {}

QPoint FollowedDelivery::screen(PixelPoint p) const {
    return origin_ + ToPoint(p);
}

InkFollower::Wait FollowedDelivery::waitFor(QPoint p, bool patient) {
    if (!waits()) {
        return InkFollower::Wait::Owed;
    }
    return follower_.waitForInk(
        screen(p),
        [this] {
            if (yield_) {
                yield_();
            }
            return false;  // Esc is latched: the run's next move sees it
        },
        patient);
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

void FollowedDelivery::decideProbes() {
    for (std::size_t d = 0; d < kDirections; ++d) {
        Probe& probe = probes_[d];
        if (!probe.later) {
            continue;
        }
        // The target works in order: once the later press shows, the probe's end has all the
        // ink it will ever get.
        if (stepInk_[d] == StepInk::Unknown && follower_.shows(*probe.later)) {
            stepInk_[d] = follower_.shows(*probe.end) ? StepInk::End : StepInk::Later;
        }
        if (stepInk_[d] != StepInk::Unknown) {
            probe = Probe{};
        }
    }
}

void FollowedDelivery::lookAtPress() {
    if (pressToLookAt_ && follower_.paintsLate() && !waitedForPressLesson_) {
        // Moves no longer wait for the ink, which shows well behind them: without this one wait
        // the run could be over before a lesson shows that the presses need it.
        waitedForPressLesson_ = true;
        follower_.waitForPressInk(pressToLookAt_->second, [this] {
            if (yield_) {
                yield_();
            }
            return false;  // Esc is latched: the run's next move sees it
        });
    }
    if (pressToLookAt_ && follower_.hasInk(pressToLookAt_->second)) {
        // The target works in order: the press has all the ink it will get.
        pressNeedsInk_ = pressNeedsInk_ || !follower_.hasInk(pressToLookAt_->first);
        pressToLookAt_.reset();
    }
}

void FollowedDelivery::start(PixelPoint p) {
    path_.assign(1, ToPoint(p));
    // A soft pen, and a target that smooths, get each stroke once walked, as keys.
    keyed_ = smooths_ || follower_.softPen();
    if (keyed_) {
        readAtPress_ = false;
        return;
    }
    readBeforePress();
    if (!waits()) {
        decideProbes();
    }
    for (Probe& probe : probes_) {
        if (probe.end && !probe.later) {
            probe.later = screen(p);
        }
    }
    lookAtPress();
    pressAt_ = screen(p);
    learnPress_ = pressLessons_ > 0 && !pressNeedsInk_ && !pressToLookAt_ &&
                  !follower_.fellBack() && !follower_.hasInk(pressAt_);
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
        learnPress_ = false;  // a press waited for teaches nothing of one that is not
        // Read, not waited for: a press without ink in time (a target that paints late, or
        // drops the dab) is no wait given up, which the follower would hold against it.
        const auto deadline = clock_.now() + follower_.slowLimit();
        while (!follower_.shows(screen(sent_)) && clock_.now() < deadline) {
            pause(InkFollower::kPollInterval);
        }
        if (follower_.shows(screen(sent_))) {
            waitFor(sent_);  // inked: the follower learns the ink's colour from it
        }
    }
}

bool FollowedDelivery::move(PixelPoint pixel, bool endsRun) {
    const QPoint p = ToPoint(pixel);
    extendPath(p);
    if (keyed_) {
        return !stopped_;
    }
    follower_.notice();
    const QPoint step = p - walked_;
    walked_ = p;
    // A soft pen inks around the pointer whichever way it steps: no step of it needs a break.
    if (AntiDiagonal(step) && stepInk(step) != StepInk::End && !follower_.softPen()) {
        if (stepInk(step) == StepInk::Unknown && mayTry(step, p)) {
            return tryStep(step, p);
        }
        return breakTo(p);
    }
    if (step != step_) {
        runStart_ = sent_;  // the last run's end: WalkRun sends every one
        step_ = step;
    }
    if (joinRuns_ && !endsRun) {
        if (!splitsJoin(p)) {
            return true;
        }
        // A trial's move is waited for as a run's end is, so that a bend shows before the next.
        return send(p, joins_ == Joins::Unknown);
    }
    return send(p, endsRun);
}

bool FollowedDelivery::splitsJoin(QPoint p) const {
    if (freeMovesOnly_ || joins_ == Joins::Straight) {
        return false;  // a target that takes only free moves needs each run as one move
    }
    const QPoint far = p - sent_;
    return joins_ == Joins::Curved || std::max(std::abs(far.x()), std::abs(far.y())) >= kTrialJoin;
}

void FollowedDelivery::learnJoins(QPoint from, QPoint to) {
    const QPoint far = to - from;
    const int length = std::max(std::abs(far.x()), std::abs(far.y()));
    if (!joinRuns_ || freeMovesOnly_ || joins_ != Joins::Unknown || length < 2) {
        return;
    }
    // The target works in order: the pixels before the end show by now.
    for (int k = 1; k < length; ++k) {
        if (!follower_.hasInk(screen(from + k * step_))) {
            joins_ = Joins::Curved;  // mending gives the pixel left out its ink
            return;
        }
    }
    if (length >= kTrialJoin) {
        joins_ = Joins::Straight;
    }
}

bool FollowedDelivery::breakTo(QPoint p) {
    if (pressed_ && pressNeedsInk_) {
        beforeFirstMove();  // a press released at once keeps its dab only once it has it
    }
    beforeRelease();
    sink_.lift(ToPixel(sent_));
    path_.assign(1, p);
    sent_ = runStart_ = p;
    step_ = QPoint(0, 0);
    pressed_ = true;
    if (!sink_.lower(ToPixel(p))) {
        return false;
    }
    // Before the next move: a target that merges the moves it has not handled yet into a line
    // to the latest would join the press to a later position. Only once the target has shown
    // ink: waits that give up here would bring the fall-back to the fixed wait about unseen by
    // the run's own waits, which tell it.
    if (follower_.ink()) {
        waitFor(p, false);
    }
    return true;
}

bool FollowedDelivery::mayTry(QPoint step, QPoint p) const {
    // The pixel the pointer stands on has its ink (no run in a direction that leaves it to the
    // next step ends there): the trial's start may not give it.
    const bool startInked = step_ == QPoint(0, 0) || stepInk(step_) == StepInk::End;
    return isLine_ && waits() && follower_.ink() && startInked &&
           isLine_(QPoint(p.x(), p.y() - step.y())) && isLine_(QPoint(p.x() - step.x(), p.y()));
}

bool FollowedDelivery::tryStep(QPoint step, QPoint p) {
    const QPoint start = sent_;
    beforeFirstMove();
    // The other two pixels of the block, as far as they have no ink yet (line pixels, they may
    // have it from earlier strokes): ink there is the step's.
    std::vector<QPoint> corners;
    for (const QPoint corner : {QPoint(p.x(), start.y()), QPoint(start.x(), p.y())}) {
        if (!follower_.shows(screen(corner))) {
            corners.push_back(screen(corner));
        }
    }
    if (!sink_.move(ToPixel(p), false)) {
        return false;
    }
    sent_ = p;
    // Read, not waited for with the follower: an end that never shows is no ink it owes.
    StepInk learned = StepInk::Corner;
    const auto deadline = clock_.now() + follower_.slowLimit();
    for (;;) {
        if (follower_.shows(screen(p))) {
            learned = StepInk::End;
            break;
        }
        if (std::any_of(corners.begin(), corners.end(),
                        [this](QPoint corner) { return follower_.shows(corner); }) ||
            clock_.now() >= deadline) {
            break;
        }
        pause(InkFollower::kPollInterval);
    }
    stepInk_[Direction(step)] = learned;
    if (learned == StepInk::End) {
        runStart_ = start;
        step_ = step;
        return true;
    }
    // The end has no ink of its own: a press of its own gives it. The stroke goes on from there.
    step_ = QPoint(0, 0);
    return breakTo(p);
}

void FollowedDelivery::beforeFirstMove() {
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
}

bool FollowedDelivery::send(QPoint p, bool endsRun) {
    if (endsRun && waits()) {
        decideProbes();  // else once a stroke: a read costs as much as a move
    }
    beforeFirstMove();
    const bool followed = waits();
    const StepInk ink = stepInk(step_);
    // Ink at the end before the move (an earlier stroke's, a trial's) would teach nothing.
    const bool learns =
        followed && endsRun && ink == StepInk::Unknown && !follower_.shows(screen(p));
    const QPoint from = sent_;
    bool ok = true;
    if (ink == StepInk::Later && endsRun) {
        // The target inks this run up to the pixel before its end; the end comes with the next
        // step, or with the step back before the release.
        ok = sink_.move(ToPixel(p), false);
        if (ok && p - step_ != runStart_) {
            waitFor(p - step_);
        }
    } else {
        if (endsRun && followed) {
            follower_.aboutToMove(screen(p));
        }
        ok = sink_.move(ToPixel(p), endsRun);
    }
    sent_ = p;
    if (ok && endsRun && !followed && follower_.fellBack()) {
        lookForSmoothing();  // every wait gave up: perhaps the ink comes a position behind
        ok = !stopped_;
    }
    if (!ok || !endsRun || !followed) {
        return ok;
    }
    const InkFollower::Wait wait = follower_.lastWait();
    if (wait == InkFollower::Wait::Inked) {
        learnJoins(from, p);
    }
    afterRunEnd(p, wait, learns, ink);
    // Handed again without ink, and not a target that takes only free moves: perhaps one that
    // draws a position behind.
    if (wait == InkFollower::Wait::GaveUp && !freeMovesOnly_ && sent_ == p) {
        lookForSmoothing();
    }
    return !stopped_;  // a lesson's press again may have found the run stopped
}

void FollowedDelivery::afterRunEnd(QPoint p, InkFollower::Wait wait, bool learns, StepInk ink) {
    if (wait == InkFollower::Wait::Inked && learns) {
        stepInk_[Direction(step_)] = StepInk::End;
    } else if (wait == InkFollower::Wait::GaveUp && ink != StepInk::Later) {
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
        // A target that leaves a step's end to the next step inks it with the step back, which
        // starts there; one that takes only the moves made while it is free has not even taken
        // it.
        const bool inkedByStepBack = follower_.shows(screen(end));
        sink_.nudge(ToPixel(end));
        if (inkedByStepBack) {
            endInkedByStepBack_ = end;
            const std::size_t d = Direction(step_);
            if (stepInk_[d] == StepInk::Unknown && ++laterSigns_[d] >= kLaterSigns) {
                stepInk_[d] = StepInk::Later;
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
    const StepInk ink = stepInk(step_);
    if (step_ == QPoint(0, 0) || ink == StepInk::End) {
        return;
    }
    Probe& probe = probes_[Direction(step_)];
    if (ink == StepInk::Unknown && !probe.end && endInkedByStepBack_ != sent_) {
        // Left as it is: what it shows teaches the direction. Should it never show, the
        // follower is not to wait on it behind the pixels that come after.
        probe.end = screen(sent_);
        follower_.forget(*probe.end);
        return;
    }
    // One pixel back along the run: a target that leaves the end to the next step inks it
    // with this one, any other target nothing new.
    const QPoint end = sent_;
    sent_ = end - step_;
    sink_.nudge(ToPixel(sent_));
    if (ink == StepInk::Later) {
        waitFor(end);
    }
}

void FollowedDelivery::extendPath(QPoint p) {
    // A move ends a straight run (or a pixel of it): the pixels between are unit steps.
    const QPoint step((p.x() > path_.back().x()) - (p.x() < path_.back().x()),
                      (p.y() > path_.back().y()) - (p.y() < path_.back().y()));
    while (path_.back() != p) {
        path_.push_back(path_.back() + step);
    }
}

void FollowedDelivery::readBeforePress() {
    // A read of the whole rectangle costs a few milliseconds: only for the first presses.
    readAtPress_ = !smoothingLooked_ && smoothingReads_ > 0;
    if (readAtPress_) {
        --smoothingReads_;
        follower_.readNow();
    } else {
        smoothingLooked_ = true;
    }
}

void FollowedDelivery::lookAtReleasedStroke() {
    if (!readAtPress_ || penLessons_ == 0 || follower_.softPen() || path_.size() < 2) {
        return;
    }
    --penLessons_;
    // A target that shows a stroke a move late, or only on release, has it all on the screen
    // soon after: its shades tell a soft pen before the next stroke, which then goes as keys.
    if (showsWithin(sent_, std::max<std::chrono::nanoseconds>(follower_.slowLimit(),
                                                              kSmoothingFrames * frame()))) {
        learnPenAlongPath();
    }
}

void FollowedDelivery::learnPenAlongPath() {
    std::vector<QPoint> walked;
    walked.reserve(path_.size());
    for (const QPoint p : path_) {
        walked.push_back(screen(p));
    }
    follower_.learnPenAround(walked);
}

void FollowedDelivery::lookForSmoothing() {
    bool inkless = false;
    std::optional<std::size_t> keyedFrom = learnSmoothing(inkless);
    if (keyedFrom) {
        // The rest of the stroke goes as a smoothing target's, from where its ink stops.
        sink_.lift(ToPixel(sent_));
    } else if ((inkless || follower_.fellBack()) && learnFromRelease()) {
        keyedFrom = path_.size() - 1;  // the rest goes as a soft pen's, from here
    }
    if (keyedFrom) {
        keyed_ = true;
        path_.erase(path_.begin(), path_.begin() + static_cast<std::ptrdiff_t>(*keyedFrom));
    }
}

bool FollowedDelivery::learnFromRelease() {
    if (releaseLessons_ == 0 || follower_.softPen() || path_.size() < 2) {
        return false;
    }
    --releaseLessons_;
    // A target that shows a stroke only on release, or a move or more behind, draws it whole
    // on release, up to where it is released: then its ink shows what its pen is like.
    follower_.readNow();
    sink_.lift(ToPixel(sent_));
    const auto patience =
        std::max<std::chrono::nanoseconds>(follower_.slowLimit(), kSmoothingFrames * frame());
    if (showsWithin(sent_, patience)) {
        learnPenAlongPath();
        releaseLessons_ = 0;  // the pen is known as far as a release can show it
    }
    if (follower_.softPen()) {
        return true;
    }
    // Pressed again where it was released: on the stroke's own pixel.
    stopped_ = stopped_ || !sink_.lower(ToPixel(sent_));
    return false;
}

bool FollowedDelivery::showsWithin(QPoint p, std::chrono::nanoseconds time) {
    const auto deadline = clock_.now() + time;
    while (!follower_.inkedSinceRead(screen(p))) {
        if (clock_.now() >= deadline) {
            return false;
        }
        pause(std::chrono::milliseconds(2));
    }
    return true;
}

std::optional<std::size_t> FollowedDelivery::learnSmoothing(bool& inkless) {
    // The pointer stands at the end of a straight run long enough for a step back that such a
    // target keeps, away from the rest of the stroke: ink near it is its own.
    const QPoint run = sent_ - runStart_;
    if (smoothingLooked_ || path_.size() < kSmoothingLesson || path_.back() != sent_ ||
        std::max(std::abs(run.x()), std::abs(run.y())) < kSmoothingStepBack) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i + kSmoothingLesson / 2 < path_.size(); ++i) {
        const QPoint apart = path_.back() - path_[i];
        if (std::max(std::abs(apart.x()), std::abs(apart.y())) <= 3) {
            return std::nullopt;
        }
    }
    if (follower_.paintsLate()) {
        return std::nullopt;  // its ink comes late, not behind
    }
    smoothingLooked_ = true;  // looked at once: each look costs kSmoothingPatience or more
    // A slow target shows the end's ink within its patient limit.
    const QPoint end = sent_;
    const auto patience =
        std::max<std::chrono::nanoseconds>(follower_.slowLimit(), kSmoothingPatience);
    if (showsWithin(end, patience)) {
        return std::nullopt;
    }
    // A step back along the run: a target that draws a position behind draws on towards the
    // end now (up to the last position it kept, within kSmoothingStepBack - 1 of the end), past
    // the step's own pixel; any other ink lands on the run up to that pixel.
    const std::size_t back = path_.size() - 1 - kSmoothingStepBack;
    sent_ = path_[back];
    sink_.nudge(ToPixel(sent_));
    // The target has had time to show all it owes: whatever shows now, the step brought.
    const auto deadline = clock_.now() + kSmoothingFrames * frame();
    std::optional<std::size_t> reached;
    while (!reached) {
        for (std::size_t i = path_.size(); i-- > back + 2 && !reached;) {
            if (follower_.inkedSinceRead(screen(path_[i]))) {
                reached = i;
            }
        }
        if (clock_.now() >= deadline) {
            break;
        }
        pause(std::chrono::milliseconds(2));
    }
    if (!reached) {
        sent_ = end;
        sink_.nudge(ToPixel(sent_));
        inkless = true;
        return std::nullopt;
    }
    smooths_ = true;
    follower_.learnSoftPen();
    return reached;
}

std::chrono::nanoseconds FollowedDelivery::frame() const {
    return std::clamp<std::chrono::nanoseconds>(follower_.meanInkTime().value_or(kFirstFrame),
                                                kFirstFrame, kLongestFrame);
}

bool FollowedDelivery::sendSmoothed() {
    for (const SmoothedPiece& piece : PlanSmoothedStroke(path_)) {
        std::vector<QPoint> keys = piece.keys;
        if (keys.size() == 1 && !smooths_) {
            // A soft pen inks nothing for a click: a dot is a step aside.
            keys.push_back(Aside(keys.front()));
        } else if (keys.size() > 1 && smooths_ && releaseDrawsEnd_ == std::optional<bool>(false)) {
            // A move past the end: the target draws its curve to the end with it.
            keys.push_back(PastTheEnd(keys[keys.size() - 2], keys.back()));
        }
        if (!sink_.lower(ToPixel(keys.front()))) {
            return false;
        }
        for (std::size_t j = 1; j < keys.size(); ++j) {
            // The ink that shows this move taken: a smoothing target's curve to the key before,
            // any other target's line to this one.
            const std::optional<QPoint> inks =
                !smooths_ ? std::optional<QPoint>(keys[j])
                          : (j >= 2 ? std::optional<QPoint>(keys[j - 1]) : std::nullopt);
            // Whether the key before shows ink only now tells a target that draws a key behind.
            const bool asksBehind = !smooths_ && j >= 2 && waits();
            if (asksBehind) {
                follower_.aboutToMove(screen(keys[j - 1]));
            }
            if (inks) {
                follower_.aboutToMove(screen(*inks));
            }
            if (!sink_.move(ToPixel(keys[j]), false)) {
                return false;
            }
            // Each move in a frame of its own: two in one would reach the page as one event.
            if (!inks || !waits() || waitFor(*inks) != InkFollower::Wait::Inked) {
                if (asksBehind && waits()) {
                    const bool behind = waitFor(keys[j - 1]) == InkFollower::Wait::Inked;
                    lagSigns_ = behind ? lagSigns_ + 1 : 0;
                    smooths_ = lagSigns_ >= kLagSigns;
                }
                pause(frame());
            } else {
                lagSigns_ = 0;
            }
        }
        // Whether the release draws on to the last key, looked at once: a target that draws it
        // only with a move past it gets one from then on, and one that draws on to where it is
        // released would draw that move as a line beyond the end.
        const bool learnsRelease = smooths_ && keys.size() > 1 && !releaseDrawsEnd_;
        if (learnsRelease) {
            follower_.readNow();
        }
        sink_.end(ToPixel(keys.back()));
        if (learnsRelease) {
            releaseDrawsEnd_ = showsWithin(keys.back(), kSmoothingFrames * frame());
        }
    }
    return true;
}

void FollowedDelivery::end(PixelPoint p) {
    if (keyed_) {
        stopped_ = stopped_ || !sendSmoothed();
        return;
    }
    walked_ = ToPoint(p);
    if (learnPress_ && screen(sent_) != pressAt_) {
        pressToLookAt_.emplace(pressAt_, screen(sent_));
        --pressLessons_;
    }
    if (pressed_ && follower_.softPen()) {
        // A soft pen inks nothing for a click: a dot is a step aside, ink within a pixel of it.
        // Not back at once: a target that merges the moves it has not handled yet would take
        // the two for none.
        const QPoint aside = Aside(sent_);
        follower_.aboutToMove(screen(aside));
        sink_.nudge(ToPixel(aside));
        sent_ = aside;
        waitFor(sent_);
    }
    beforeRelease();
    sink_.end(ToPixel(sent_));
    lookAtReleasedStroke();
}

}  // namespace stylorex
