#pragma once

#include "common/window_text.h"
#include "engine/pixel_scan.h"
#include "engine/run_state.h"
#include "os/pointer_device.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>

namespace stylorex {

// A monotonic clock; the run's waits never follow the time of day.
class MonotonicClock {
  public:
    virtual ~MonotonicClock() = default;
    virtual std::chrono::steady_clock::time_point now() = 0;
};

// The steady clock of the system.
MonotonicClock& SystemClock();

// What a drawing run needs from its surroundings.
struct RunServices {
    PointerDevice& pointer;
    WindowText& window;
    // Lets pending window events run, then returns.
    std::function<void()> yield;
    MonotonicClock& clock;
};

// The settings a run reads.
struct RunSettings {
    ExtractionSettings extraction;
    std::int16_t WaitTime = 5;
};

// Marks a run in progress on `state`, scans `picture` (the committed persistent image) into its
// tables, then replays every stroke through the pointer at origin + pixel. Returns the number
// of strokes completed, also after an abort (Esc, or a stop requested on `state`, both tested
// after every move). The left button is released on every way out, and then the run is marked
// ended with its result; an exception from the pointer, the window or a callback is rethrown
// after that. The pointer's runStarting() and runEnded() come first and last, whichever way the
// run ends. A run started on `state` while another is in progress (through a yield) throws
// std::logic_error.
std::int32_t RunDrawing(const QImage& picture, std::int32_t originX, std::int32_t originY,
                        const RunSettings& settings, RunServices& services, RunState& state);

// Status panel 3 after a run: "概算ｽﾄﾛｰｸ数:" and the count.
QString StrokeCountText(std::int32_t strokes);

// Waits `ms` milliseconds on the monotonic clock, yielding while it waits. A wait of 0 or
// less returns at once without yielding.
void WaitMs(std::int32_t ms, const std::function<void()>& yield, MonotonicClock& clock);

// The start command's check of the two origin texts.
struct OriginCheck {
    bool ok = false;
    std::int32_t OriginX = 0;
    std::int32_t OriginY = 0;
    QString message;  // the message box text when not ok
};

// Both texts must be whole decimal numbers in the 32-bit range (surrounding blanks allowed).
// "**" in textX or an empty text: "開始座標を設定してください". Anything else that is not such a
// number, or a value above the screen's width or height: "開始座標が不正です". Values equal
// to the width or height and negative values pass.
OriginCheck CheckOrigin(const QString& textX, const QString& textY, QSize primaryScreen);

}  // namespace stylorex
