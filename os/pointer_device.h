#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace stylorex {

// What made a pointer's stop test (PointerDevice::escPressed()) answer yes.
enum class StopCause {
    EscKey,        // Esc: anywhere, where it can be watched; else in the program's own window
    PointerMoved,  // the user moved the pointer during the run (where no key can be watched)
    Suspended,     // a job-control stop (Ctrl+Z, SIGSTOP) and the continue after it
};

// The system pointer and the Esc key, as the drawing run and the origin capture use them.
// Coordinates are screen pixels of the whole desktop.
class PointerDevice {
  public:
    virtual ~PointerDevice() = default;

    // When the call returns, the system pointer stands on (x, y).
    virtual void moveTo(int x, int y) = 0;
    // A left-button press or release at the pointer's current position. (x, y) is where the
    // caller believes the pointer stands; it never moves the pointer.
    virtual void pressLeft(int x, int y) = 0;
    virtual void releaseLeft(int x, int y) = 0;
    // True when Esc is down now or has been pressed since the previous query, or when something
    // else that stops a run has happened since (stopCause()).
    virtual bool escPressed() = 0;
    // Whether a key other than Esc (which stops a run) is held down now, a modifier or any
    // other; nothing where the backend cannot tell.
    virtual std::optional<bool> keyHeld() { return std::nullopt; }
    // Why the last escPressed() that answered true did.
    virtual StopCause stopCause() const { return StopCause::EscKey; }
    virtual QPoint position() = 0;
    // Whether position() reads where the pointer really stands; where it cannot (a Wayland
    // client), it is only where this program last moved it.
    virtual bool canReadPosition() const { return true; }
    // Why position() cannot read the pointer here, as a sentence for the user; empty where it
    // can.
    virtual QString whyPositionUnreadable() const { return {}; }
    virtual QSize primaryScreenSize() = 0;
    // The display this pointer drives, named so that runs on one display can exclude each other
    // (os/run_lock.h) wherever they start: "x11-:0", "wayland-wayland-1". Empty where it drives
    // none of the system's (a test's fake).
    virtual QString displayName() const { return {}; }

    // Whether escPressed() can notice Esc during a run. Where it cannot (a Wayland compositor
    // that offers no way to watch keys), the user must agree to a run that Esc cannot stop.
    virtual bool canWatchEsc() const { return true; }
    // Why Esc cannot stop a run here, as a sentence for the user; empty where it can.
    virtual QString whyEscCannotStop() const { return {}; }
    // Where Esc cannot be watched: how else the user can stop a run, a sentence for the question
    // before it; empty where only ending the program does (those who start the run then say how).
    virtual QString stopAdvice() const { return {}; }
    // A drawing run calls these first and last, whichever way it ends, so that a backend can
    // hold what it needs only while a run lasts (under sway: the Esc key binding). They do not
    // throw.
    virtual void runStarting() {}
    virtual void runEnded() {}
    // Who hears, while no run lasts, of a fault that stops runs until it is mended (the button
    // guardian died: it is started again before the next run). Called on a thread of the
    // backend's own: the listener hands the text over to its own thread. A run hears of such a
    // fault as its error instead.
    virtual void setIdleFaultListener(std::function<void(const QString&)> /*listener*/) {}
};

}  // namespace stylorex
