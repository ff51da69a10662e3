#include "engine/drawing_run.h"

#include "engine/ink_follower.h"
#include "engine/key_wait.h"
#include "engine/pen_plan.h"
#include "engine/stroke_delivery.h"
#include "engine/target_check.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace stylorex {

namespace {

// Marks the run in progress on the state for its lifetime. Declared before the button, so the
// run is marked ended only after the button is up. Unless the run says otherwise, it failed.
class RunInProgressMark {
  public:
    RunInProgressMark(RunState& state, QPoint origin) : state_(state) { state_.begin(origin); }
    ~RunInProgressMark() { state_.end(result); }
    RunInProgressMark(const RunInProgressMark&) = delete;
    RunInProgressMark& operator=(const RunInProgressMark&) = delete;

    RunResult result{RunResult::Ending::Failed, 0, {}, {}};

  private:
    RunState& state_;
};

// Tells the pointer that a run lasts from construction to destruction, whichever way it ends.
class RunBracket {
  public:
    explicit RunBracket(PointerDevice& pointer) : pointer_(pointer) { pointer_.runStarting(); }
    ~RunBracket() { pointer_.runEnded(); }
    RunBracket(const RunBracket&) = delete;
    RunBracket& operator=(const RunBracket&) = delete;

  private:
    PointerDevice& pointer_;
};

// Holds the left button from the press that starts a stroke until the matching release, and
// releases it when the run leaves in any other way (an exception on its way up).
class LeftButton : public RunButton {
  public:
    explicit LeftButton(PointerDevice& pointer) : pointer_(pointer) {}
    ~LeftButton() {
        if (down_) {
            try {
                pointer_.releaseLeft(x_, y_);
            } catch (...) {
                // Already unwinding; the exception that got us here is the one to report.
            }
        }
    }
    LeftButton(const LeftButton&) = delete;
    LeftButton& operator=(const LeftButton&) = delete;

    void press(int x, int y) {
        x_ = x;
        y_ = y;
        down_ = true;
        pointer_.pressLeft(x, y);
    }
    // The pointer stands on (x, y) now: a release on the way out happens there.
    void movedTo(int x, int y) {
        x_ = x;
        y_ = y;
    }
    void release(int x, int y) {
        down_ = false;
        pointer_.releaseLeft(x, y);
    }
    void press(QPoint at) override { press(at.x(), at.y()); }
    void release(QPoint at) override { release(at.x(), at.y()); }
    bool isDown() const { return down_; }

  private:
    PointerDevice& pointer_;
    bool down_ = false;
    int x_ = 0;
    int y_ = 0;
};

// Origin + picture coordinate as a 32-bit screen coordinate; saturates rather than wraps for
// origins at the very ends of the 32-bit range.
int screenCoordinate(std::int32_t origin, std::int16_t pixel) {
    const std::int64_t sum = static_cast<std::int64_t>(origin) + pixel;
    return static_cast<int>(std::clamp<std::int64_t>(sum, std::numeric_limits<std::int32_t>::min(),
                                                     std::numeric_limits<std::int32_t>::max()));
}

// The test after each move inside a stroke. Esc is always queried, so its latch is consumed
// at the same points whether or not a stop was requested.
bool abortRequested(RunServices& services, const RunState& state) {
    const bool esc = services.pointer.stopWatch().escPressed();
    return esc || state.stopRequested();
}

// The most waits of InkFollower::kLimit each for a slow target's ink after one move.
constexpr int kSlowInkWaits = 5;

// How far the pointer stands from the picture's area while the screen is read back to check:
// farther than a cursor that a target paints into its canvas reaches (a pixel-art editor's
// 13 x 13 cross, a brush outline).
constexpr int kCursorClearance = 16;
// How long the target is given to take its cursor away once the pointer has left.
constexpr std::int32_t kCursorLeaveMs = 50;

// A pass's tables stand in the state's place while the pass is drawn: the run walks the state's.
class LentTables {
  public:
    LentTables(ScanTables& state, ScanTables& pass) : state_(state), pass_(pass) {
        std::swap(state_, pass_);
    }
    ~LentTables() { std::swap(state_, pass_); }
    LentTables(const LentTables&) = delete;
    LentTables& operator=(const LentTables&) = delete;

  private:
    ScanTables& state_;
    ScanTables& pass_;
};

// One run over the undrawn strokes of the state's tables, at the state's origin: WalkRun's
// visitor, and what happens before and after the walk.
class StrokeRun : public StrokeSink {
  public:
    StrokeRun(const RunSettings& settings, RunServices& services, RunState& state,
              RunResult& result, RunPasses* passes, bool resuming)
        : settings_(settings),
          services_(services),
          state_(state),
          result_(result),
          pointer_(services.pointer),
          button_(services.pointer),
          observer_(services.observer),
          origin_(state.origin()),
          passes_(passes),
          resuming_(resuming) {}

    void draw() {
        if (pointer_.limits().canReadPosition()) {
            userPointer_ = pointer_.position();
        }
        if (!waitForKeysUp()) {
            abort(origin_.x(), origin_.y());
            return;
        }
        tell(RunPhase::Drawing);
        if (!(passes_ != nullptr ? drawPasses() : drawTables())) {
            return;
        }
        result_.ending = RunResult::Ending::Completed;
        tell(RunPhase::Completed);
        if (observer_ != nullptr) {
            RunProgress last;
            last.strokesDone = result_.strokes;
            last.strokesTotal = plan_.strokes;
            observer_->progressed(last);
        }
    }

    // WalkRun's visitor, and the follow mode's StrokeSink.
    void start(PixelPoint p) override {
        const int sx = screenCoordinate(origin_.x(), p.X);
        const int sy = screenCoordinate(origin_.y(), p.Y);
        pointer_.moveTo(sx, sy);
        button_.press(sx, sy);
        if (passes_ != nullptr && !pressedInPass_) {
            pressedInPass_ = true;
            passes_->firstPress(pass_, QPoint(sx, sy), button_);
        }
    }
    bool move(PixelPoint p, bool endsRun) override {
        const int sx = screenCoordinate(origin_.x(), p.X);
        const int sy = screenCoordinate(origin_.y(), p.Y);
        pointer_.moveTo(sx, sy);
        button_.movedTo(sx, sy);
        yieldOnce();
        ++movesDone_;
        PixelPoint next;
        const bool endsStroke =
            endsRun && following() && !NextStrokePoint(state_.tables(), p.X, p.Y, next);
        if (!waitAfterMove(QPoint(sx, sy), endsRun, endsStroke) ||
            abortRequested(services_, state_)) {
            abort(sx, sy);
            return false;
        }
        return true;
    }
    void end(PixelPoint p) override {
        const int sx = screenCoordinate(origin_.x(), p.X);
        const int sy = screenCoordinate(origin_.y(), p.Y);
        // The pointer stands there already. Moved there again, it would queue one more motion
        // event, which a lagging target handles after the run has gone on to the next stroke:
        // it then asks where the pointer is, finds the button down again, and joins the two
        // strokes. A followed target has shown this pixel's ink, so it has nothing left to do
        // but the release.
        if (!following()) {
            pointer_.moveTo(sx, sy);
        }
        button_.release(sx, sy);
        ++result_.strokes;
    }
    void lift(PixelPoint p) override {
        button_.release(screenCoordinate(origin_.x(), p.X), screenCoordinate(origin_.y(), p.Y));
    }
    bool lower(PixelPoint p) override {
        start(p);
        if (abortRequested(services_, state_)) {
            abort(screenCoordinate(origin_.x(), p.X), screenCoordinate(origin_.y(), p.Y));
            return false;
        }
        return true;
    }
    void nudge(PixelPoint p) override {
        const int sx = screenCoordinate(origin_.x(), p.X);
        const int sy = screenCoordinate(origin_.y(), p.Y);
        pointer_.moveTo(sx, sy);
        button_.movedTo(sx, sy);
    }

  private:
    // Before the first press, and before each swatch click: false when Esc or a stop request
    // came while a key was held.
    bool waitForKeysUp() {
        return WaitForKeysUp(
            pointer_,
            [this] {
                if (observer_ != nullptr) {
                    observer_->waitingForKeysUp();
                }
            },
            [this] {
                if (services_.yield) {
                    services_.yield();
                }
                return abortRequested(services_, state_);
            },
            services_.clock);
    }

    // The strokes of the state's tables, then their check and mending; false when stopped.
    bool drawTables() {
        modes_ = settings_.modes;
        if (!resuming_) {
            state_.targetBefore() = TargetBefore{};
        }
        if (services_.screen != nullptr) {
            readTargetBefore();
        }
        modes_.FollowTarget = follower_ != nullptr;
        if (observer_ != nullptr && passes_ == nullptr) {
            plan_ = PlanRun(state_.tables(), modes_);
        }

        if (follower_) {
            FollowedDelivery delivery(*this, *follower_, services_.clock, origin_, modes_.JoinRuns,
                                      [this] { yieldOnce(); });
            delivery.setLinePixels([this](QPoint p) { return isLinePixel(p); });
            WalkRun(state_.tables(), false, delivery);
        } else {
            WalkRun(state_.tables(), modes_.JoinRuns, *this);
        }
        keepLearnedInk();
        if (aborted_) {
            return false;
        }
        if (target_) {
            // A run in passes tells its check once, of all of them, at its end.
            if (observer_ != nullptr && passes_ == nullptr) {
                observer_->checking();
            }
            target_->setPen(settings_.check,
                            PenFacts{settings_.modes.PenWidth, follower_ && follower_->softPen()});
            result_.check = target_->checkAndMend(
                follower_.get(), modes_.FollowTarget, [this](QPoint p) { return mendPixel(p); },
                [this] { leaveArea(); }, [this] { return abortRequested(services_, state_); });
            if (result_.check.stopped) {
                abort(origin_.x(), origin_.y());
            }
            if (observer_ != nullptr && passes_ == nullptr) {
                observer_->checked(result_.check);
            }
        }
        return !aborted_;
    }

    // Each pass as drawTables draws the state's tables, in turn; the progress is planned over
    // them all and the check told is the passes' own.
    bool drawPasses() {
        if (observer_ != nullptr) {
            RunModes planned = settings_.modes;
            planned.FollowTarget = planned.FollowTarget && services_.screen != nullptr;
            for (std::size_t i = 0; i < passes_->count(); ++i) {
                const RunPlan pass = PlanRun(passes_->tables(i), planned);
                plan_.strokes += pass.strokes;
                plan_.linePixels += pass.linePixels;
                plan_.moves += pass.moves;
                plan_.waits += pass.waits;
            }
        }
        std::vector<RunCheck> checks;
        for (pass_ = 0; pass_ < passes_->count(); ++pass_) {
            const LentTables lent(state_.tables(), passes_->tables(pass_));
            if (pass_ > 0 && !waitForKeysUp()) {
                abort(origin_.x(), origin_.y());
                return false;
            }
            passes_->beforePass(pass_, button_);
            pressedInPass_ = false;
            target_.reset();
            follower_.reset();
            result_.check = RunCheck{};
            if (!drawTables()) {
                return false;
            }
            checks.push_back(result_.check);
        }
        result_.check = passes_->check(checks);
        if (observer_ != nullptr) {
            observer_->checked(result_.check);
        }
        return true;
    }

    void tell(RunPhase phase) {
        if (observer_ != nullptr) {
            observer_->phaseChanged(phase);
        }
    }

    void yieldOnce() {
        if (services_.yield) {
            services_.yield();
        }
        if (observer_ != nullptr) {
            reportProgress();
        }
    }

    void reportProgress() {
        const auto now = services_.clock.now();
        if (now < nextReport_) {
            return;
        }
        nextReport_ = now + kProgressInterval;
        const bool fellBack = follower_ && follower_->fellBack();
        RunPlan left;
        left.strokes = std::max(0, plan_.strokes - result_.strokes);
        left.moves = std::max<std::int64_t>(0, plan_.moves - movesDone_);
        left.waits = fellBack ? left.moves : std::max<std::int64_t>(0, plan_.waits - waitsDone_);
        // A followed target at the pace it has shown so far, else as one that inks at once.
        double waitMs = settings_.WaitTime;
        if (follower_ && !fellBack) {
            const auto mean = follower_->meanInkTime();
            waitMs = mean ? std::chrono::duration<double, std::milli>(*mean).count()
                          : ExpectedWaitMs(modes_, settings_.WaitTime);
        }
        RunProgress progress;
        progress.strokesDone = result_.strokes;
        progress.strokesTotal = plan_.strokes;
        progress.timeLeft = EstimatedRunTime(left, waitMs);
        observer_->progressed(progress);
    }

    bool following() const { return follower_ && !follower_->fellBack(); }

    bool isLinePixel(QPoint p) const {
        const PixelMap& map = state_.tables().PixelMap;
        return p.x() >= 0 && p.y() >= 0 && p.x() < map.columns() && p.y() < map.rows() &&
               map(p.x(), p.y()).IsLine;
    }

    // The wait after a move to `at` (screen); false when Esc or a stop request came during it.
    // A followed target is waited for patiently before a release (`endsStroke`; see
    // InkFollower::waitForInk). A wait that gave up counts towards the fall-back to the fixed wait.
    bool waitAfterMove(QPoint at, bool endsRun, bool endsStroke) {
        if (following()) {
            if (!WaitsAfterMove(endsRun, modes_)) {
                return true;
            }
            ++waitsDone_;
            const InkFollower::Wait wait = follower_->waitForInk(
                at,
                [this] {
                    yieldOnce();
                    return abortRequested(services_, state_);
                },
                endsStroke);
            if (wait == InkFollower::Wait::Aborted) {
                return false;
            }
            if (follower_->fellBack() && !toldFallBack_) {
                toldFallBack_ = true;
                if (observer_ != nullptr) {
                    observer_->fellBackToFixedWait();
                }
            }
            return true;
        }
        ++waitsDone_;
        WaitMs(settings_.WaitTime, services_.yield, services_.clock);
        return true;
    }

    // Esc (or whatever else the pointer's stop test saw) or a stop request: the button goes up
    // where the pointer stands.
    void abort(int x, int y) {
        if (button_.isDown()) {
            pointer_.moveTo(x, y);
            button_.release(x, y);
        }
        if (services_.yield) {
            services_.yield();
        }
        result_.ending = RunResult::Ending::Aborted;
        if (!state_.stopRequested()) {
            result_.stoppedBy = pointer_.stopWatch().stopCause();
        }
        aborted_ = true;
        tell(RunPhase::Aborted);
    }

    // Reads the target rectangle before the first stroke; a follower learns the ink against it.
    // A run that can be resumed keeps it; a resumed run compares it with the earlier one's to
    // draw again what the target lost meanwhile, and checks the whole picture against that.
    void readTargetBefore() {
        target_.emplace(*services_.screen, state_.tables(), origin_, pointer_.primaryScreenSize(),
                        services_.ownWindow, services_.clock, services_.yield,
                        settings_.modes.PenWidth);
        TargetBefore& earlier = state_.targetBefore();
        if (passes_ == nullptr && !resuming_) {
            earlier = TargetBefore{target_->before(), target_->topLeft(), std::nullopt};
        } else if (passes_ == nullptr && !earlier.image.isNull() && target_->checkable() &&
                   earlier.topLeft == target_->topLeft() &&
                   earlier.image.size() == target_->before().size()) {
            if (MarkLostPixelsUndrawn(state_.tables(), earlier.image, target_->before(),
                                      earlier.ink) > 0) {
                PlanPenStrokes(state_.tables(), settings_.modes.PenWidth);
            }
            target_->checkAgainst(earlier.image, AllLinePixels(state_.tables()));
        }
        if (observer_ != nullptr) {
            observer_->checkPending();
        }
        if (settings_.modes.FollowTarget && !target_->before().isNull()) {
            follower_ = std::make_unique<InkFollower>(*services_.screen, target_->before(),
                                                      target_->topLeft(), services_.clock);
        }
    }

    // The ink the follower has learned, for a resumed run's comparison with the earlier screen.
    void keepLearnedInk() {
        TargetBefore& earlier = state_.targetBefore();
        if (passes_ == nullptr && follower_ && follower_->ink() && !earlier.image.isNull() &&
            !earlier.ink) {
            earlier.ink = follower_->ink();
        }
    }

    // Before the rectangle is read back to check, the pointer leaves it: a target that paints
    // its cursor into the canvas would show that as ink. It goes back where the user had it
    // when the run began, when that is clear of the area, else just beyond a corner of it.
    void leaveArea() {
        const QRect clear = target_->area().adjusted(-kCursorClearance, -kCursorClearance,
                                                     kCursorClearance, kCursorClearance);
        const QRect screen(QPoint(0, 0), pointer_.primaryScreenSize());
        std::optional<QPoint> to;
        if (userPointer_ && !clear.contains(*userPointer_) && screen.contains(*userPointer_)) {
            to = userPointer_;
        } else {
            for (const QPoint corner :
                 {clear.bottomRight() + QPoint(1, 1), clear.bottomLeft() + QPoint(-1, 1),
                  clear.topRight() + QPoint(1, -1), clear.topLeft() + QPoint(-1, -1)}) {
                if (screen.contains(corner)) {
                    to = corner;
                    break;
                }
            }
        }
        if (!to) {
            return;
        }
        pointer_.moveTo(to->x(), to->y());
        WaitMs(kCursorLeaveMs, services_.yield, services_.clock);
    }

    // A press and a release on a missing pixel, paced as the run's moves; false when stopped.
    bool mendPixel(QPoint p) {
        pointer_.moveTo(p.x(), p.y());
        button_.press(p.x(), p.y());
        QPoint at = p;
        if (following() && follower_->softPen()) {
            // A soft pen inks nothing for a click: a step aside, ink within a pixel of p. Not
            // back at once: a target that merges the moves it has not handled yet would take
            // the two for none.
            at = p + QPoint(1, 0);
            follower_->aboutToMove(at);
            pointer_.moveTo(at.x(), at.y());
            button_.movedTo(at.x(), at.y());
        }
        if (!waitAfterMove(at, true, true)) {
            abort(at.x(), at.y());
            return false;
        }
        if (!following()) {
            pointer_.moveTo(at.x(), at.y());  // as end() does
        }
        button_.release(at.x(), at.y());
        yieldOnce();
        if (abortRequested(services_, state_)) {
            abort(at.x(), at.y());
            return false;
        }
        return true;
    }

    const RunSettings& settings_;
    RunServices& services_;
    RunState& state_;
    RunResult& result_;
    PointerDevice& pointer_;
    LeftButton button_;
    RunObserver* observer_;
    QPoint origin_;
    RunModes modes_;
    RunPlan plan_;
    std::optional<TargetCheck> target_;
    std::unique_ptr<InkFollower> follower_;
    std::int64_t movesDone_ = 0;
    std::int64_t waitsDone_ = 0;
    std::chrono::steady_clock::time_point nextReport_ =
        std::chrono::steady_clock::time_point::min();
    bool aborted_ = false;
    bool toldFallBack_ = false;
    RunPasses* passes_;
    std::size_t pass_ = 0;
    bool pressedInPass_ = false;
    // Goes on with an earlier run (ResumeDrawing).
    bool resuming_;
    // Where the user's pointer stood when the run began; none where it cannot be read.
    std::optional<QPoint> userPointer_;
};

// Before the walk: an Esc press made before the run must not count, so the latch is emptied,
// and the observer hears that the run prepares its tables (`prepare` scans, when there is
// anything to scan). Then the walk.
std::int32_t DrawStrokes(const RunSettings& settings, RunServices& services, RunState& state,
                         RunResult& result, const std::function<void()>& prepare,
                         RunPasses* passes = nullptr, bool resuming = false) {
    // Outlives the run's button: the button is released before the run counts as ended.
    RunBracket bracket(services.pointer);
    services.pointer.stopWatch().escPressed();
    services.pointer.stopWatch().escPressed();
    if (services.observer != nullptr) {
        services.observer->phaseChanged(RunPhase::Preparing);
    }
    if (prepare) {
        prepare();
    }
    StrokeRun run(settings, services, state, result, passes, resuming);
    run.draw();
    return result.strokes;
}

}  // namespace

std::int32_t RunDrawing(const QImage& picture, std::int32_t originX, std::int32_t originY,
                        const RunSettings& settings, RunServices& services, RunState& state) {
    RunInProgressMark mark(state, QPoint(originX, originY));
    return DrawStrokes(settings, services, state, mark.result, [&] {
        ScanForRun(picture, settings.extraction, settings.modes, state.tables());
    });
}

std::int32_t RunDrawing(ScanTables tables, QPoint origin, const RunSettings& settings,
                        RunServices& services, RunState& state) {
    RunInProgressMark mark(state, origin);
    return DrawStrokes(settings, services, state, mark.result,
                       [&] { state.tables() = std::move(tables); });
}

std::int32_t RunDrawingInPasses(RunPasses& passes, QPoint origin, const RunSettings& settings,
                                RunServices& services, RunState& state) {
    RunInProgressMark mark(state, origin);
    return DrawStrokes(
        settings, services, state, mark.result, [&] { state.tables() = ScanTables{}; }, &passes);
}

std::int32_t ResumeDrawing(const RunSettings& settings, RunServices& services, RunState& state) {
    if (!state.resumable()) {
        throw std::logic_error("no stopped drawing run to resume");
    }
    RunInProgressMark mark(state, state.origin());
    return DrawStrokes(settings, services, state, mark.result, {}, nullptr, true);
}

}  // namespace stylorex
