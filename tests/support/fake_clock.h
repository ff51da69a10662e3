#pragma once

#include "engine/monotonic_clock.h"

#include <chrono>

namespace stylorex {

// A clock that moves only when told to.
class FakeClock : public MonotonicClock {
  public:
    std::chrono::steady_clock::time_point now() override { return now_; }
    void advance(std::chrono::steady_clock::duration by) { now_ += by; }

  private:
    std::chrono::steady_clock::time_point now_{};
};

}  // namespace stylorex
