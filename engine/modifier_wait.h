#pragma once

#include "common/window_text.h"
#include "engine/monotonic_clock.h"
#include "os/pointer_device.h"

#include <chrono>
#include <functional>

namespace stylorex {

// The longest pause between two looks at the keyboard while a modifier is held (a sleep slice,
// SleepTowards, may end it sooner).
inline constexpr std::chrono::milliseconds kModifierPollInterval{10};

// Before the first press of a run: a run started with a key chord (Ctrl+R, or Enter pressed
// with a modifier still down) would otherwise press the button with the modifier held, and the
// target would take a Ctrl+drag (a colour pick, a selection) for the stroke. Returns at once
// when no modifier is held or the pointer cannot tell; otherwise shows "キーを離してください" in
// status panel 2 and waits, yielding, until none is held. False when Esc was pressed meanwhile
// (the run is not to start).
bool WaitForModifiersUp(PointerDevice& pointer, WindowText& window,
                        const std::function<void()>& yield, MonotonicClock& clock);

}  // namespace stylorex
