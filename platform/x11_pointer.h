#pragma once

#include "platform/pointer_device.h"

#include <QString>

#include <atomic>
#include <memory>
#include <thread>

// Xlib's own declaration, so that this header does not pull Xlib's macros into its users.
typedef struct _XDisplay Display;

namespace stylorex {

// The X11 backend. Moves and buttons go through XTest on one connection, each followed by a
// flush, so the server applies them in the order they were made. Esc presses are latched from
// XInput2 raw key events on the root window (they also arrive while another client grabs the
// keyboard), read by a watcher thread on a second, private connection: a query only reads two
// flags, so the run's per-move test costs no request and no system call. Without XInput2 2.1
// the query falls back to XQueryKeymap (Esc down now only).
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
    void watchKeys();
    void drainKeyEvents();

    Display* display_;
    Display* keyDisplay_;  // null without XInput2 2.1; used by the watcher thread only
    int xiOpcode_;
    unsigned escKeycode_ = 0;
    std::atomic<bool> escLatched_{false};
    std::atomic<bool> escDown_{false};
    bool pressed_ = false;
    int wakePipe_[2] = {-1, -1};  // wakes the watcher to stop
    std::thread watcher_;
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
