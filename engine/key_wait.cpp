#include "engine/key_wait.h"

namespace stylorex {

bool WaitForKeysUp(PointerDevice& pointer, const std::function<void()>& waiting,
                   const std::function<bool()>& stopAsked, MonotonicClock& clock) {
    if (pointer.stopWatch().keyHeld() != true) {
        return true;
    }
    if (waiting) {
        waiting();
    }
    while (pointer.stopWatch().keyHeld() == true) {
        if (stopAsked && stopAsked()) {
            return false;
        }
        SleepTowards(clock, clock.now() + kKeyPollInterval);
    }
    return true;
}

}  // namespace stylorex
