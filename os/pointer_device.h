#pragma once

#include "os/pointer_limits.h"
#include "os/stop_watch.h"

#include <QPoint>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace stylorex {

// The system pointer, as the drawing run and the origin capture use it: moves, the left button
// and where the pointer stands, beside the stop watch a run asks after every move and what the
// backend cannot do. Coordinates are screen pixels of the whole desktop.
class PointerDevice {
  public:
    virtual ~PointerDevice() = default;

    StopWatch& stopWatch() { return watch_; }
    const StopWatch& stopWatch() const { return watch_; }
    const PointerLimits& limits() const { return limits_; }

    // When the call returns, the system pointer stands on (x, y).
    virtual void moveTo(int x, int y) = 0;
    // A left-button press or release at the pointer's current position. (x, y) is where the
    // caller believes the pointer stands; it never moves the pointer.
    virtual void pressLeft(int x, int y) = 0;
    virtual void releaseLeft(int x, int y) = 0;
    virtual QPoint position() = 0;
    virtual QSize primaryScreenSize() = 0;
    // The display this pointer drives, named so that runs on one display can exclude each other
    // (os/run_lock.h) wherever they start: "x11-:0", "wayland-wayland-1". Empty where it drives
    // none of the system's (a test's fake).
    virtual QString displayName() const { return {}; }

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

  protected:
    // A backend is often its own stop watch and limits too; neither is used before the backend
    // is made.
    PointerDevice(StopWatch& watch, const PointerLimits& limits) : watch_(watch), limits_(limits) {}

  private:
    StopWatch& watch_;
    const PointerLimits& limits_;
};

}  // namespace stylorex
