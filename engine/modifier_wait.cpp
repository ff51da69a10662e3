#include "engine/modifier_wait.h"

namespace stylorex {

bool WaitForModifiersUp(PointerDevice& pointer, WindowText& window,
                        const std::function<void()>& yield, MonotonicClock& clock) {
    if (pointer.modifierHeld() != true) {
        return true;
    }
    SetStatusText(window, 2, QStringLiteral("キーを離してください"));
    while (pointer.modifierHeld() == true) {
        if (pointer.escPressed()) {
            return false;
        }
        if (yield) {
            yield();
        }
        SleepTowards(clock, clock.now() + kModifierPollInterval);
    }
    return true;
}

}  // namespace stylorex
