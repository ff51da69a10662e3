#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>

namespace stylorex {

// A monotonic clock; the run's waits never follow the time of day.
class MonotonicClock {
  public:
    virtual ~MonotonicClock() = default;
    virtual std::chrono::steady_clock::time_point now() = 0;
    // Gives the processor away for about `time`. The system's clock sleeps; a clock of its own
    // (a test's) returns at once and moves as it always does. Callers read now() again after.
    virtual void sleepFor(std::chrono::nanoseconds time) { static_cast<void>(time); }
};

// The steady clock of the system.
MonotonicClock& SystemClock();

// The waits of a run sleep rather than spin, so that the processor stays free for the target (a
// paint program on the same machine, often on the same two cores): a wait sleeps towards its end
// in slices of at most kLongestSleep, so the window is served between them, and spins only the
// last kSpinTail, which a sleep may overshoot.
constexpr std::chrono::microseconds kLongestSleep{2000};
constexpr std::chrono::microseconds kSpinTail{150};

// One slice of sleep towards `until`; nothing when less than kSpinTail is left.
inline void SleepTowards(MonotonicClock& clock, std::chrono::steady_clock::time_point until) {
    const auto left = until - clock.now();
    if (left > kSpinTail) {
        clock.sleepFor(std::min<std::chrono::nanoseconds>(left - kSpinTail, kLongestSleep));
    }
}

// Waits `ms` milliseconds on the monotonic clock, yielding while it waits. A wait of 0 or
// less returns at once without yielding.
void WaitMs(std::int32_t ms, const std::function<void()>& yield, MonotonicClock& clock);

}  // namespace stylorex
