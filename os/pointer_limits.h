#pragma once

#include <QString>

namespace stylorex {

// What a pointer backend cannot do, and what it tells the user of it (run/stop_reason.h puts
// its sentences together with each face's own). Each backend has its own
// (PointerDevice::limits()); the defaults are a backend that can do everything.
class PointerLimits {
  public:
    virtual ~PointerLimits() = default;

    // Whether PointerDevice::position() reads where the pointer really stands; where it cannot
    // (a Wayland client), it is only where this program last moved it.
    virtual bool canReadPosition() const { return true; }
    // Why the position cannot be read here, as a sentence for the user; empty where it can.
    virtual QString whyPositionUnreadable() const { return {}; }
    // Why Esc cannot stop a run here, as a sentence for the user; empty where it can.
    virtual QString whyEscCannotStop() const { return {}; }
    // Where Esc cannot be watched: how else the user can stop a run, a sentence for the question
    // before it; empty where only ending the program does (those who start the run then say how).
    virtual QString stopAdvice() const { return {}; }
};

}  // namespace stylorex
