#pragma once

#include "engine/ink_follower.h"
#include "engine/monotonic_clock.h"
#include "engine/pixel_scan.h"
#include "engine/run_check.h"
#include "os/screen_reader.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRgb>
#include <QSize>

#include <chrono>
#include <functional>
#include <optional>

namespace stylorex {

// When the target rectangle counts as settled after a run: a target may still be working
// through the moves it was sent (one that queues its work paints seconds after the run), and a
// check that counts before it is done reports pixels missing that come later, or nothing changed.
struct SettleRules {
    // Between two reads of the rectangle.
    std::chrono::milliseconds interval{30};
    // Unchanged this long once every line pixel shows ink: what the target still adds beside
    // the lines has landed.
    std::chrono::milliseconds quietWhenComplete{90};
    // Unchanged this long while line pixels still show none: a target that is still catching up
    // changes the screen sooner.
    std::chrono::milliseconds quietWhenIncomplete{1000};
    // The longest wait in all; nothing changed at all is waited out to it.
    std::chrono::milliseconds limit{10000};
    // The tolerant check's radius (RunCheck::tolerance): a line pixel shows ink when a pixel
    // within it changed. 0: the pixel itself must change.
    int tolerance = 0;
};

// Reads `rect` every rules.interval until it has settled as above, yielding between reads, and
// returns the last read (a null image when the screen cannot be read). `before`: the rectangle
// before the run; `drawn`: the line pixels the run drew there; `ink`: the target's ink colour
// when known (a line pixel that had it before the run cannot change and counts as shown).
// `stopped`, asked after every yield, ends the wait at once when it holds (Esc, a signal): the
// result is then nothing.
std::optional<QImage> WaitForSettledArea(ScreenReader& screen, const QRect& rect,
                                         const QImage& before, const DrawMask& drawn,
                                         std::optional<QRgb> ink,
                                         const std::function<void()>& yield, MonotonicClock& clock,
                                         const SettleRules& rules = {},
                                         const std::function<bool()>& stopped = {});

// The target rectangle of one run (the scanned picture's size at the run's origin) read back
// from the screen: before the strokes, so that the follow mode knows what changes, and after
// them, to check what the target drew and to mend what it missed.
class TargetCheck {
  public:
    // Passes of mending after the first check.
    static constexpr int kMendPasses = 2;

    // Reads the rectangle of `tables` at `origin` now, unless something is known to prevent its
    // check: it leaves the screen of `screenSize`, or it cannot be read; the program's own
    // window covering it (`ownWindow`, frame included; empty: none) prevents the check as well.
    // The line pixels still undrawn in `tables` are what the check expects to see drawn; with a
    // pen `penWidth` pixels wide, the line pixels it covers from the centres still undrawn
    // (PenCoverage).
    TargetCheck(ScreenReader& screen, const ScanTables& tables, QPoint origin, QSize screenSize,
                std::function<QRect()> ownWindow, MonotonicClock& clock,
                std::function<void()> yield, int penWidth = 1);

    QPoint topLeft() const { return rect_.topLeft(); }
    // The rectangle on the screen.
    QRect area() const { return rect_; }
    // Whether nothing known before the run prevents the check.
    bool checkable() const { return obstacle_ == RunCheck::Outcome::None; }
    // The rectangle before the run; null when it could not be read.
    const QImage& before() const { return before_; }

    // The check to make (the exact one at the start): as `choice` decides for `pen`
    // (CheckTolerance), or for the pen the rectangle shows, measured at each check
    // (MeasuredPenWidth), where that is wider.
    void setPen(CheckChoice choice, PenFacts pen);

    // For a run that goes on with an earlier one: the check compares the rectangle with
    // `before`, as it was before the earlier run, and expects every pixel of `drawn`.
    void checkAgainst(QImage before, DrawMask drawn);

    // Waits until the rectangle has settled (WaitForSettledArea), and compares it with what it
    // was before (CompareTarget), with the ink `follower` has learned. With `mend`, each pixel
    // found missing is pressed again through `pressAgain` (a press and a release there, paced as
    // the run's moves; false when the run was stopped meanwhile) and the rectangle checked again,
    // kMendPasses times at most. A stop during the mending ends it with what it had done; a stop
    // while the rectangle settles (`stopped`) ends the wait at once, with `stopped` set.
    // `beforeRead` is called before each read of the rectangle (it takes the pointer away).
    RunCheck checkAndMend(const InkFollower* follower, bool mend,
                          const std::function<bool(QPoint)>& pressAgain,
                          const std::function<void()>& beforeRead = {},
                          const std::function<bool()>& stopped = {});

  private:
    bool ownWindowCovers() const;
    std::optional<QImage> settledArea(const InkFollower* follower,
                                      const std::function<bool()>& stopped);
    RunCheck check(const InkFollower* follower, const std::function<bool()>& stopped);

    ScreenReader& screen_;
    std::function<QRect()> ownWindow_;
    MonotonicClock& clock_;
    std::function<void()> yield_;
    QRect rect_;
    QImage before_;
    // What the check compares with, when not before_ (checkAgainst).
    QImage checkBefore_;
    // Why it cannot be checked, found before the run; None: nothing is known to prevent it.
    RunCheck::Outcome obstacle_ = RunCheck::Outcome::None;
    DrawMask drawn_;
    CheckChoice choice_ = CheckChoice::Exact;
    PenFacts pen_;
    int tolerance_ = 0;
};

// The line pixels of `tables` drawn already (Undrawn clear) that `now` shows as they were in
// `before` (and not in `ink`, when known), both the scanned picture's rectangle: what the target
// lost (a stroke it cancelled, a window over it) is marked undrawn again, so that a run over the
// tables draws it. Returns how many were.
int MarkLostPixelsUndrawn(ScanTables& tables, const QImage& before, const QImage& now,
                          std::optional<QRgb> ink);

}  // namespace stylorex
