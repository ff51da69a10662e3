#include "engine/modifier_wait.h"

namespace stylorex {

bool WaitForModifiersUp(PointerDevice& pointer, const std::function<void()>& waiting,
                        const std::function<bool()>& stopAsked, MonotonicClock& clock) {
    if (pointer.modifierHeld() != true) {
        return true;
    }
    if (waiting) {
        waiting();
    }
    while (pointer.modifierHeld() == true) {
        if (stopAsked && stopAsked()) {
            return false;
        }
        SleepTowards(clock, clock.now() + kModifierPollInterval);
    }
    return true;
}

}  // namespace stylorex
