#pragma once

#include "engine/monotonic_clock.h"
#include "os/pointer_device.h"

#include <chrono>
#include <functional>

namespace stylorex {

// The longest pause between two looks at the keyboard while a key is held (a sleep slice,
// SleepTowards, may end it sooner).
inline constexpr std::chrono::milliseconds kKeyPollInterval{10};

// Before the first press of a run, of a resumed run and of each swatch click. A run started
// with a key (Enter on "処理", Ctrl+R) starts while that key is still down; the first click
// gives the target the keyboard focus, and the key's release, its auto-repeat or a modifier
// still held would then reach the target (a Ctrl+drag is a colour pick, an Enter commits a
// tool). Returns at once when no key is held or the pointer cannot tell; otherwise calls
// `waiting` once and waits until none is held, calling `stopAsked` between looks (it lets
// events run and says whether Esc or a stop request came). False when it did: the run is not to
// start.
bool WaitForKeysUp(PointerDevice& pointer, const std::function<void()>& waiting,
                   const std::function<bool()>& stopAsked, MonotonicClock& clock);

}  // namespace stylorex
