#include "engine/target_check.h"

#include "engine/pen_plan.h"

#include <chrono>
#include <optional>
#include <utility>

namespace stylorex {

namespace {

enum class Progress { NothingChanged, Incomplete, Complete };

// As Compare below, with a line pixel shown when a pixel within `tolerance` of it changed.
Progress CompareWithin(const QImage& before, const QImage& now, const DrawMask& drawn,
                       std::optional<QRgb> ink, int tolerance) {
    bool anyChange = false;
    DrawMask shown = DrawMask::Sized(drawn.width, drawn.height);
    for (int y = 0; y < drawn.height; ++y) {
        const auto* was = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        const auto* is = reinterpret_cast<const QRgb*>(now.constScanLine(y));
        for (int x = 0; x < drawn.width; ++x) {
            const bool changed = was[x] != is[x];
            anyChange = anyChange || changed;
            if (changed || (ink && was[x] == *ink)) {
                shown.set(x, y);
            }
        }
    }
    if (!anyChange) {
        return Progress::NothingChanged;
    }
    const std::int64_t reach = std::int64_t{tolerance} * tolerance + tolerance;
    const std::vector<std::int64_t> toShown = SquaredDistancesToSet(shown);
    for (int y = 0; y < drawn.height; ++y) {
        for (int x = 0; x < drawn.width; ++x) {
            if (drawn.at(x, y) && toShown[static_cast<std::size_t>(y) * drawn.width + x] > reach) {
                return Progress::Incomplete;
            }
        }
    }
    return Progress::Complete;
}

Progress Compare(const QImage& before, const QImage& now, const DrawMask& drawn,
                 std::optional<QRgb> ink, int tolerance) {
    if (tolerance > 0) {
        return CompareWithin(before, now, drawn, ink, tolerance);
    }
    bool anyChange = false;
    bool complete = true;
    for (int y = 0; y < drawn.height; ++y) {
        const auto* was = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        const auto* is = reinterpret_cast<const QRgb*>(now.constScanLine(y));
        for (int x = 0; x < drawn.width; ++x) {
            const bool changed = was[x] != is[x];
            anyChange = anyChange || changed;
            if (drawn.at(x, y) && !changed && !(ink && was[x] == *ink)) {
                complete = false;
            }
        }
    }
    if (!anyChange) {
        return Progress::NothingChanged;
    }
    return complete ? Progress::Complete : Progress::Incomplete;
}

}  // namespace

std::optional<QImage> WaitForSettledArea(ScreenReader& screen, const QRect& rect,
                                         const QImage& before, const DrawMask& drawn,
                                         std::optional<QRgb> ink,
                                         const std::function<void()>& yield, MonotonicClock& clock,
                                         const SettleRules& rules,
                                         const std::function<bool()>& stopped) {
    QImage last = screen.grab(rect);
    if (last.isNull() || before.size() != last.size()) {
        return last;
    }
    const auto start = clock.now();
    auto unchangedSince = start;
    Progress progress = Compare(before, last, drawn, ink, rules.tolerance);
    for (;;) {
        const auto now = clock.now();
        const auto quiet = now - unchangedSince;
        if (now - start >= rules.limit ||
            (progress == Progress::Complete && quiet >= rules.quietWhenComplete) ||
            (progress == Progress::Incomplete && quiet >= rules.quietWhenIncomplete)) {
            return last;
        }
        const auto next = now + rules.interval;
        while (clock.now() < next) {
            if (yield) {
                yield();
            }
            if (stopped && stopped()) {
                return std::nullopt;
            }
            SleepTowards(clock, next);
        }
        QImage read = screen.grab(rect);
        if (read.isNull()) {
            return read;
        }
        if (read != last) {
            unchangedSince = clock.now();
            progress = Compare(before, read, drawn, ink, rules.tolerance);
            last = std::move(read);
        }
    }
}

TargetCheck::TargetCheck(ScreenReader& screen, const ScanTables& tables, QPoint origin,
                         QSize screenSize, std::function<QRect()> ownWindow, MonotonicClock& clock,
                         std::function<void()> yield, int penWidth)
    : screen_(screen),
      ownWindow_(std::move(ownWindow)),
      clock_(clock),
      yield_(std::move(yield)),
      rect_(origin, QSize(tables.MaxX + 1, tables.MaxY + 1)),
      drawn_(PenCoverage(tables, penWidth)) {
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

void TargetCheck::setPen(CheckChoice choice, PenFacts pen) {
    choice_ = choice;
    pen_ = pen;
    tolerance_ = CheckTolerance(choice, pen);
}

void TargetCheck::checkAgainst(QImage before, DrawMask drawn) {
    checkBefore_ = std::move(before);
    drawn_ = std::move(drawn);
}

std::optional<QImage> TargetCheck::settledArea(const InkFollower* follower,
                                               const std::function<bool()>& stopped) {
    SettleRules rules;
    rules.tolerance = tolerance_;
    return WaitForSettledArea(screen_, rect_, checkBefore_.isNull() ? before_ : checkBefore_,
                              drawn_, follower != nullptr ? follower->ink() : std::nullopt, yield_,
                              clock_, rules, stopped);
}

RunCheck TargetCheck::check(const InkFollower* follower, const std::function<bool()>& stopped) {
    RunCheck check;
    if (obstacle_ != RunCheck::Outcome::None) {
        check.outcome = obstacle_;
    } else if (ownWindowCovers()) {
        check.outcome = RunCheck::Outcome::OwnWindowCovers;
    } else {
        const std::optional<QImage> settled = settledArea(follower, stopped);
        if (!settled) {
            check.stopped = true;
            return check;
        }
        const QImage& after = *settled;
        if (after.isNull()) {
            check.outcome = RunCheck::Outcome::Unreadable;
        } else {
            const QImage& before = checkBefore_.isNull() ? before_ : checkBefore_;
            // The target's own pen may be wider than the run was told: its tolerance then.
            if (choice_ != CheckChoice::Exact) {
                if (const std::optional<int> width = MeasuredPenWidth(before, after, drawn_);
                    width && *width > pen_.width) {
                    tolerance_ = std::max(
                        tolerance_, CheckTolerance(choice_, PenFacts{*width, pen_.softOrOffset}));
                }
            }
            // A soft pen's first shade seen is no measure of its ink: the check takes the
            // strongest change near the lines instead, so that faint grey does not count.
            const bool knowsInk = follower != nullptr && !follower->softPen();
            check = CompareTarget(before, after, drawn_, knowsInk ? follower->ink() : std::nullopt,
                                  rect_.topLeft(), tolerance_);
        }
    }
    check.tolerance = tolerance_;
    check.followed = follower != nullptr;
    check.fellBack = follower != nullptr && follower->fellBack();
    return check;
}

RunCheck TargetCheck::checkAndMend(const InkFollower* follower, bool mend,
                                   const std::function<bool(QPoint)>& pressAgain,
                                   const std::function<void()>& beforeRead,
                                   const std::function<bool()>& stopped) {
    if (beforeRead) {
        beforeRead();
    }
    RunCheck result = check(follower, stopped);
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
        if (beforeRead) {
            beforeRead();
        }
        result = check(follower, stopped);
        result.mendPasses = passes;
        result.mendPresses = presses;
    }
    return result;
}

int MarkLostPixelsUndrawn(ScanTables& tables, const QImage& before, const QImage& now,
                          std::optional<QRgb> ink) {
    if (before.isNull() || before.size() != now.size() || tables.StartPointList.empty()) {
        return 0;
    }
    int lost = 0;
    for (std::size_t i = 1; tables.StartPointList[i].X >= 0; ++i) {
        const PixelPoint p = tables.StartPointList[i];
        PixelCell& cell = tables.PixelMap(p);
        if (cell.Undrawn || p.X >= now.width() || p.Y >= now.height()) {
            continue;
        }
        const QRgb was = before.pixel(p.X, p.Y);
        if (now.pixel(p.X, p.Y) == was && !(ink && was == *ink)) {
            cell.Undrawn = true;
            ++lost;
        }
    }
    return lost;
}

}  // namespace stylorex
