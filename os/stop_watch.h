#pragma once

#include <optional>

namespace stylorex {

// What made a stop test (StopWatch::escPressed()) answer yes.
enum class StopCause {
    EscKey,        // Esc: anywhere, where it can be watched; else in the program's own window
    PointerMoved,  // the user moved the pointer during the run (where no key can be watched)
    Suspended,     // a job-control stop (Ctrl+Z, SIGSTOP) and the continue after it
};

// What a run asks after every move: whether the user wants it stopped (Esc, the user's hand on
// the pointer, a job-control stop), and whether a key is still held before its first press.
// Each pointer backend has its own (PointerDevice::stopWatch()).
class StopWatch {
  public:
    virtual ~StopWatch() = default;

    // True when Esc is down now or has been pressed since the previous query, or when something
    // else that stops a run has happened since (stopCause()).
    virtual bool escPressed() = 0;
    // Whether a key other than Esc (which stops a run) is held down now, a modifier or any
    // other; nothing where the backend cannot tell.
    virtual std::optional<bool> keyHeld() { return std::nullopt; }
    // Why the last escPressed() that answered true did.
    virtual StopCause stopCause() const { return StopCause::EscKey; }
    // Whether escPressed() can notice Esc during a run. Where it cannot (a Wayland compositor
    // that offers no way to watch keys), the user must agree to a run that Esc cannot stop.
    virtual bool canWatchEsc() const { return true; }
};

}  // namespace stylorex
