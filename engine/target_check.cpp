#include "engine/target_check.h"

#include "engine/drawing_run.h"

#include <chrono>
#include <optional>
#include <utility>

namespace stylorex {

namespace {

// After a completed run, a target that lags behind may still be drawing: the rectangle is read
// every kSettleInterval until a read equals the one before, for kSettleLimit at most.
constexpr std::chrono::milliseconds kSettleInterval{30};
constexpr std::chrono::milliseconds kSettleLimit{1000};

}  // namespace

TargetCheck::TargetCheck(ScreenReader& screen, const ScanTables& tables, QPoint origin,
                         QSize screenSize, std::function<QRect()> ownWindow, MonotonicClock& clock,
                         std::function<void()> yield)
    : screen_(screen),
      ownWindow_(std::move(ownWindow)),
      clock_(clock),
      yield_(std::move(yield)),
      rect_(origin, QSize(tables.MaxX + 1, tables.MaxY + 1)),
      drawn_(UndrawnLinePixels(tables)) {
    if (!QRect(QPoint(0, 0), screenSize).contains(rect_)) {
        obstacle_ = RunCheck::Outcome::LeavesScreen;
    } else {
        before_ = screen_.grab(rect_);
        if (before_.isNull()) {
            obstacle_ = RunCheck::Outcome::Unreadable;
        }
    }
    if (obstacle_ == RunCheck::Outcome::None && ownWindowCovers()) {
        obstacle_ = RunCheck::Outcome::OwnWindowCovers;
    }
}

bool TargetCheck::ownWindowCovers() const {
    return ownWindow_ && ownWindow_().intersects(rect_);
}

QImage TargetCheck::settledArea() {
    QImage last = screen_.grab(rect_);
    const auto deadline = clock_.now() + kSettleLimit;
    while (!last.isNull() && clock_.now() < deadline) {
        WaitMs(static_cast<std::int32_t>(kSettleInterval.count()), yield_, clock_);
        QImage next = screen_.grab(rect_);
        if (next == last) {
            break;
        }
        last = std::move(next);
    }
    return last;
}

RunCheck TargetCheck::check(const InkFollower* follower) {
    RunCheck check;
    if (obstacle_ != RunCheck::Outcome::None) {
        check.outcome = obstacle_;
    } else if (ownWindowCovers()) {
        check.outcome = RunCheck::Outcome::OwnWindowCovers;
    } else {
        const QImage after = settledArea();
        if (after.isNull()) {
            check.outcome = RunCheck::Outcome::Unreadable;
        } else {
            check = CompareTarget(before_, after, drawn_,
                                  follower != nullptr ? follower->ink() : std::nullopt,
                                  rect_.topLeft());
        }
    }
    check.followed = follower != nullptr;
    check.fellBack = follower != nullptr && follower->fellBack();
    return check;
}

RunCheck TargetCheck::checkAndMend(const InkFollower* follower, bool mend,
                                   const std::function<bool(QPoint)>& pressAgain) {
    RunCheck result = check(follower);
    while (mend && result.outcome == RunCheck::Outcome::Checked && !result.missing.empty() &&
           result.mendPasses < kMendPasses) {
        const int passes = result.mendPasses + 1;
        int presses = result.mendPresses;
        for (const QPoint p : result.missing) {
            ++presses;
            if (!pressAgain(p)) {
                result.mendPasses = passes;
                result.mendPresses = presses;
                return result;
            }
        }
        result = check(follower);
        result.mendPasses = passes;
        result.mendPresses = presses;
    }
    return result;
}

}  // namespace stylorex
