#pragma once

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
// when no modifier is held or the pointer cannot tell; otherwise calls `waiting` once and waits
// until none is held, calling `stopAsked` between looks (it lets events run and says whether Esc
// or a stop request came). False when it did: the run is not to start.
bool WaitForModifiersUp(PointerDevice& pointer, const std::function<void()>& waiting,
                        const std::function<bool()>& stopAsked, MonotonicClock& clock);

}  // namespace stylorex
