#pragma once

#include "engine/monotonic_clock.h"
#include "os/screen_reader.h"

#include <QImage>
#include <QPoint>
#include <QRgb>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

namespace stylorex {

// The follow mode's wait: after a move, until the target shows ink under the pointer, read back
// from the screen. The target's own pace sets the run's, where a fixed wait can only guess it.
class InkFollower {
  public:
    // A wait that sees no ink for this long gives up.
    static constexpr std::chrono::milliseconds kLimit{20};
    // After this many waits in a row that gave up, the follower gives up for the rest of the run
    // (a target that paints on release only, a covered window, ink the colour of the background).
    static constexpr int kGiveUpsBeforeFallBack = 20;
    // Between two reads of the pixel: a read costs a round trip to the X server (about 40 µs),
    // which the target needs as well.
    static constexpr std::chrono::microseconds kPollInterval{250};

    enum class Wait {
        Inked,       // the pixel changed
        AlreadyInk,  // it had the ink's colour before the run: no change can show, no wait
        GaveUp,      // no change within kLimit, or the pixel cannot be read
        Aborted,     // `between` asked to stop
    };

    // `before`: the rectangle whose top-left pixel is `topLeft` (screen), read before the run.
    InkFollower(ScreenReader& screen, QImage before, QPoint topLeft, MonotonicClock& clock);

    // Waits until the pixel at `at` (screen) shows a colour other than it had before the run,
    // reading it every kPollInterval and calling `between` between reads (the run yields and
    // tests Esc there; true from it ends the wait). The first change seen teaches the ink's
    // colour.
    Wait waitForInk(QPoint at, const std::function<bool()>& between);

    // kGiveUpsBeforeFallBack waits in a row gave up: the run goes on with its fixed wait.
    bool fellBack() const { return giveUpsInARow_ >= kGiveUpsBeforeFallBack; }
    std::optional<QRgb> ink() const { return ink_; }
    // The mean time until ink showed, over the waits that saw it; nothing before the first.
    std::optional<std::chrono::nanoseconds> meanInkTime() const;

  private:
    Wait gaveUp();

    ScreenReader& screen_;
    QImage before_;
    QPoint topLeft_;
    MonotonicClock& clock_;
    std::optional<QRgb> ink_;
    int giveUpsInARow_ = 0;
    std::int64_t inkedWaits_ = 0;
    std::chrono::nanoseconds inkedTime_{0};
};

}  // namespace stylorex
