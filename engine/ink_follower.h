#pragma once

#include "engine/monotonic_clock.h"
#include "os/screen_reader.h"

#include <QImage>
#include <QPoint>
#include <QRgb>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace stylorex {

// The follow mode's wait: after a move, until the target shows ink under the pointer, read back
// from the screen. The target's own pace sets the run's, where a fixed wait can only guess it.
class InkFollower {
  public:
    // A wait that sees no ink for this long gives up.
    static constexpr std::chrono::milliseconds kLimit{20};
    // A target that has shown ink before in the run (it paints, only slowly: a busy machine
    // holds it up) is waited for longer: kSlowFactor times the longest it has taken recently (a
    // single slow one fades), at least kSlowLimit, at most kSlowestLimit. So is any target
    // before a release.
    static constexpr std::chrono::milliseconds kSlowLimit{100};
    static constexpr std::chrono::milliseconds kSlowestLimit{2000};
    static constexpr int kSlowFactor = 8;
    // After this many waits in a row that gave up, the follower gives up for the rest of the run
    // (a target that paints on release only, a covered window, ink the colour of the background).
    static constexpr int kGiveUpsBeforeFallBack = 20;
    // Between two reads of the pixel: a read costs a round trip to the X server (about 40 µs),
    // which the target needs as well.
    static constexpr std::chrono::microseconds kPollInterval{250};

    // A target is taken to paint late once this many pixels it showed no ink at within the limit
    // showed it later, in the order they were drawn, none left out.
    static constexpr int kLateInOrder = 5;
    // A target that paints late is let fall this many waits behind, and then waited for (its
    // oldest pixel still without ink) up to kLateLimit.
    static constexpr std::size_t kMostOwed = 400;
    static constexpr std::chrono::milliseconds kLateLimit{3000};

    // A pen that inks in shades (antialiased, or along pixel corners, so that the pixel under the
    // pointer may keep its colour) is known once waits have seen this many colours of ink.
    static constexpr int kSoftShades = 3;

    enum class Wait {
        Inked,       // the pixel changed
        AlreadyInk,  // it had the ink's colour before the run: no change can show, no wait
        GaveUp,      // no change within kLimit, or the pixel cannot be read
        Aborted,     // `between` asked to stop
        Owed,        // the target paints late (paintsLate()): the pixel is noted, not waited for
    };

    // `before`: the rectangle whose top-left pixel is `topLeft` (screen), read before the run.
    InkFollower(ScreenReader& screen, QImage before, QPoint topLeft, MonotonicClock& clock);

    // Waits until the pixel at `at` (screen) shows a colour other than it had before the run,
    // reading it every kPollInterval and calling `between` between reads (the run yields and
    // tests Esc there; true from it ends the wait), up to kLimit, or the slow limit for a target
    // that has shown ink or when `patient` (before a release: released early, a target that
    // lags and then asks where the pointer is finds the button down on the next stroke and joins
    // the two). The first change seen teaches the ink's colour.
    Wait waitForInk(QPoint at, const std::function<bool()>& between, bool patient = false);

    // kGiveUpsBeforeFallBack waits in a row gave up: the run goes on with its fixed wait, unless
    // the ink has since shown up late, in order (paintsLate()).
    bool fellBack() const { return giveUpsInARow_ >= kGiveUpsBeforeFallBack && !late_; }
    // The target keeps every move but shows the ink well behind the pointer, in order: a wait
    // then only notes the pixel, so that a run goes on at its own pace instead of waiting at
    // every turn (Wait::Owed), and waits only when the target has fallen kMostOwed pixels behind.
    bool paintsLate() const { return late_; }
    // Looks once whether the oldest pixel a wait gave up at shows its ink by now; what teaches
    // paintsLate(). Cheap to call after every move: at most one read, none while nothing is owed.
    void notice();
    // Takes the pixel at `at` (screen) off those a wait gave up at or noted: the target is not
    // to ink it for the move that asked (it leaves it to a later one, or to nothing), so the
    // pixels after it are not to be held to its order.
    void forget(QPoint at);
    // One read: whether the pixel at `at` (screen) shows a colour other than before the run.
    bool shows(QPoint at);
    // Whether the pixel at `at` (screen) shows ink: it changed, or it had the ink's colour before
    // the run (no change can show there); true where it cannot be read.
    bool hasInk(QPoint at);
    // Whether ink has shown late, in order: once paintsLate(), or any pixel a wait gave up at
    // has shown since, other than `except` (looked at once now).
    bool showedLateInk(QPoint except);
    // Waits for the ink at `at` (a press's), also for a target that paints late: its ink comes
    // once what it owes has come, up to kLateLimit. Else as a patient waitForInk.
    Wait waitForPressInk(QPoint at, const std::function<bool()>& between);
    Wait lastWait() const { return lastWait_; }
    // The target's pen inks in shades (kSoftShades): from then on a wait ends once any pixel
    // around the pointer (its 3 x 3) changes from how the follower saw it last, and the run is
    // checked with a pen's tolerance.
    bool softPen() const { return soft_; }
    // Notes the shades of the ink around each of `at` (screen) that was not there at readNow, as
    // waits do: the pen of a target that shows its ink only after the pointer has gone.
    void learnPenAround(const std::vector<QPoint>& at);
    // The run learned otherwise that the pen inks around the pointer, not under it (its ink comes
    // a position behind): from now on, a soft pen.
    void learnSoftPen();
    // A move to `at` (screen) is about to be made and waited for: for a soft pen, what its 3 x 3
    // shows now is what the wait's ink must change.
    void aboutToMove(QPoint at);
    std::optional<QRgb> ink() const { return ink_; }
    // Reads the rectangle as it is now (before a stroke's press): what inkedSinceRead compares
    // with.
    void readNow();
    // Whether any of the 3 x 3 pixels around `at` (screen) changed since readNow; false where
    // the screen cannot be read.
    bool inkedSinceRead(QPoint at);
    // How long a wait for a target that has shown ink lasts at most (kSlowLimit and after).
    std::chrono::nanoseconds slowLimit() const;
    // The mean time until ink showed, over the waits that saw it; nothing before the first.
    std::optional<std::chrono::nanoseconds> meanInkTime() const;

  private:
    Wait gaveUp(QPoint at);
    Wait waitInOrder(QPoint at, const std::function<bool()>& between);
    Wait finish(Wait wait) { return lastWait_ = wait; }
    // Until kPollInterval after `readAt`, calling `between` meanwhile: true once it asks to stop.
    bool pollPause(std::chrono::steady_clock::time_point readAt,
                   const std::function<bool()>& between);
    // Reads the 3 x 3 around `at` (screen) into seen_: whether it changed from how it was seen
    // last; nothing where it cannot be read.
    std::optional<bool> lookAround(QPoint at);
    Wait waitNearby(QPoint at, const std::function<bool()>& between,
                    std::chrono::nanoseconds limit);
    // A wait saw the pixel take `colour`: counts the shades of a soft pen.
    void noteShade(QRgb colour);
    void inked(std::chrono::nanoseconds took);
    // Whether the pixel at `at` shows a colour other than it had before the run; nothing when
    // it cannot be read or lies outside the rectangle.
    std::optional<bool> changed(QPoint at);

    ScreenReader& screen_;
    QImage before_;
    QPoint topLeft_;
    MonotonicClock& clock_;
    std::optional<QRgb> ink_;
    int giveUpsInARow_ = 0;
    std::int64_t inkedWaits_ = 0;
    std::chrono::nanoseconds inkedTime_{0};
    std::chrono::nanoseconds longestInkTime_{0};
    Wait lastWait_ = Wait::Inked;
    // The pixels waits gave up at, oldest first, while paintsLate() is not known; then every
    // pixel noted and not yet seen with its ink.
    std::deque<QPoint> owed_;
    int lateInOrder_ = 0;
    bool late_ = false;
    bool outOfOrder_ = false;  // ink once showed for a later pixel and never for an earlier one
    std::vector<QRgb> shades_;
    bool soft_ = false;
    // A soft pen's area as the follower saw it last (screen from topLeft_).
    QImage seen_;
    std::optional<QPoint> nearbyInked_;  // where the last wait saw a soft pen's ink
    QImage read_;                        // readNow's (screen from topLeft_)
    std::chrono::steady_clock::time_point nextNotice_{};
};

}  // namespace stylorex
