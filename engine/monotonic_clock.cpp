#include "engine/monotonic_clock.h"

#include <thread>

namespace stylorex {

namespace {

class SteadyClock : public MonotonicClock {
  public:
    std::chrono::steady_clock::time_point now() override {
        return std::chrono::steady_clock::now();
    }
    void sleepFor(std::chrono::nanoseconds time) override { std::this_thread::sleep_for(time); }
};

}  // namespace

MonotonicClock& SystemClock() {
    static SteadyClock clock;
    return clock;
}

void WaitMs(std::int32_t ms, const std::function<void()>& yield, MonotonicClock& clock) {
    if (ms <= 0) {
        return;
    }
    const auto deadline = clock.now() + std::chrono::milliseconds(ms);
    while (clock.now() < deadline) {
        if (yield) {
            yield();
        }
        SleepTowards(clock, deadline);
    }
}

}  // namespace stylorex
