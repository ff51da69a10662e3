#pragma once

#include "engine/monotonic_clock.h"
#include "engine/run_check.h"
#include "os/screen_reader.h"

#include <QImage>
#include <QRect>
#include <QRgb>

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
};

// Reads `rect` every rules.interval until it has settled as above, yielding between reads, and
// returns the last read (a null image when the screen cannot be read). `before`: the rectangle
// before the run; `drawn`: the line pixels the run drew there; `ink`: the target's ink colour
// when known (a line pixel that had it before the run cannot change and counts as shown).
QImage WaitForSettledArea(ScreenReader& screen, const QRect& rect, const QImage& before,
                          const DrawMask& drawn, std::optional<QRgb> ink,
                          const std::function<void()>& yield, MonotonicClock& clock,
                          const SettleRules& rules = {});

}  // namespace stylorex
