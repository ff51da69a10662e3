#include "engine/move_pacing.h"

#include <algorithm>

namespace stylorex {

bool MovePacing::hold(MonotonicClock& clock, const std::function<bool()>& between) const {
    const auto until = clock.now() + pace_;
    while (clock.now() < until) {
        if (between()) {
            return false;
        }
        SleepTowards(clock, until);
    }
    return true;
}

void MovePacing::engage() {
    pace_ = std::max<std::chrono::nanoseconds>(pace_, kFirstPace);
}

void MovePacing::lost() {
    ++lost_;
    pace_ = std::min<std::chrono::nanoseconds>(pace_ * kWidenPercent / 100, kWidestPace);
}

}  // namespace stylorex
