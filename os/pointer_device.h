#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

#include <memory>

namespace stylorex {

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
    // True when Esc is down now or has been pressed since the previous query.
    virtual bool escPressed() = 0;
    virtual QPoint position() = 0;
    virtual QSize primaryScreenSize() = 0;
};

// Opens the backend of this platform. On failure returns null and says why in `error`
// (no display, no XTest, a Wayland session), in words a user can act on.
std::unique_ptr<PointerDevice> OpenSystemPointer(QString* error);

}  // namespace stylorex
