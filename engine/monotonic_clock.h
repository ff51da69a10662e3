#pragma once

#include <chrono>

namespace stylorex {

// A monotonic clock; the run's waits never follow the time of day.
class MonotonicClock {
  public:
    virtual ~MonotonicClock() = default;
    virtual std::chrono::steady_clock::time_point now() = 0;
};

// The steady clock of the system.
MonotonicClock& SystemClock();

}  // namespace stylorex
