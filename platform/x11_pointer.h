#pragma once

#include "platform/pointer_device.h"

#include <QString>

#include <memory>

// Xlib's own declaration, so that this header does not pull Xlib's macros into its users.
typedef struct _XDisplay Display;

namespace stylorex {

// The X11 backend. Moves and buttons go through XTest on one connection, each followed by a
// flush, so the server applies them in the order they were made. Esc presses are latched from
// XInput2 raw key events on the root window, read from a second, private connection that each
// query drains without a round trip; raw events also arrive while another client grabs the
// keyboard. Without XInput2 2.1 the query falls back to XQueryKeymap (Esc down now only).
class X11Pointer : public PointerDevice {
  public:
    // Null with the reason in `error` when this session cannot drive the pointer.
    static std::unique_ptr<X11Pointer> open(QString* error);
    ~X11Pointer() override;
    X11Pointer(const X11Pointer&) = delete;
    X11Pointer& operator=(const X11Pointer&) = delete;

    void moveTo(int x, int y) override;
    void pressLeft(int x, int y) override;
    void releaseLeft(int x, int y) override;
    bool escPressed() override;
    QPoint position() override;
    // The size of the default screen's root window.
    QSize primaryScreenSize() override;

    Display* display() const { return display_; }
    bool hasRawKeyLatch() const { return keyDisplay_ != nullptr; }

  private:
    X11Pointer(Display* display, Display* keyDisplay, int xiOpcode);
    void drainKeyEvents();

    Display* display_;
    Display* keyDisplay_;  // null without XInput2 2.1
    int xiOpcode_;
    unsigned escKeycode_ = 0;
    bool escLatched_ = false;
    bool escDown_ = false;
    bool pressed_ = false;
};

// What stands in the way of driving the pointer in this session (Wayland, no DISPLAY), or an
// empty text when nothing is known to.
QString PointerSessionProblem();

// The left button as the server sees it (XQueryPointer's mask), whoever pressed it.
bool LeftButtonIsDown(Display* display);

// Releases the left button through XTest if the server has it down; returns whether it did.
// A button pressed through XTest stays down after its client dies, so a separate watchdog
// process (or any later client) can call this on its own connection to clean up.
bool ReleaseLeftButtonIfDown(Display* display);

}  // namespace stylorex
