#pragma once

#include "os/pointer_device.h"
#include "os/stop_signals.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Xlib's own declaration, so that this header does not pull Xlib's macros into its users.
typedef struct _XDisplay Display;

namespace stylorex {

class X11ButtonGuard;

// The X11 backend. Moves and buttons go through XTest on one connection, each followed by a
// flush, so the server applies them in the order they were made.
//
// A click-to-focus window manager takes each press through a passive grab of its own, which
// freezes the pointer until the manager has handled the press and replays it to the client.
// Events injected while the pointer is frozen wait in the server's queue, which merges the
// moves and hands the buttons out where the pointer stands when it thaws: strokes joined by
// lines, dots lost. So after a press nothing more is sent until the server shows the next
// event applied (the pointer on the stroke's second pixel, or the button up again), and a
// release returns only once the server has the button up. That costs a round trip, plus the
// manager's reaction, at each end of a stroke and nothing inside it. Esc presses are latched from
// XInput2 raw key events on the root window (they also arrive while another client grabs the
// keyboard), read by a watcher thread on a second, private connection: a query only reads two
// flags, so the run's per-move test costs no request and no system call. Without XInput2 2.1
// the query falls back to XQueryKeymap (Esc down now only). While a run lasts, Esc is grabbed on
// the root window, so that the focused target never sees it. A held button is released also when
// the program dies (X11ButtonGuard).
//
// A run holds job-control stops (StopSignals): a stop signal, or a continue after SIGSTOP, makes
// the Esc query answer yes, so the run ends as if Esc had been pressed and releases the button
// before the process stops. The watcher thread also watches the guardian's pipe and the
// sockets of the other connections: when the guardian dies or a connection is lost, stderr
// says so at once, and the run's next Esc query throws with the reason, which ends the run with
// the button released (through another connection when this one is lost). A run does not start
// without a live guardian: one that died is started again first.
class X11Pointer : public PointerDevice, public StopWatch, public PointerLimits {
  public:
    // Null with the reason in `error` when the X server in DISPLAY cannot be reached or lacks
    // XTest. Whether the session is an X11 one is OpenX11Session's decision.
    static std::unique_ptr<X11Pointer> open(QString* error);
    ~X11Pointer() override;
    X11Pointer(const X11Pointer&) = delete;
    X11Pointer& operator=(const X11Pointer&) = delete;

    void moveTo(int x, int y) override;
    void pressLeft(int x, int y) override;
    void releaseLeft(int x, int y) override;
    bool escPressed() override;
    // From the server's keymap: the keys themselves, so a locked Caps or Num Lock is no key
    // held.
    std::optional<bool> keyHeld() override;
    StopCause stopCause() const override { return stopCause_; }
    QPoint position() override;
    // The size of the default screen's root window.
    QSize primaryScreenSize() override;
    void runStarting() override;
    void runEnded() override;
    void setIdleFaultListener(std::function<void(const QString&)> listener) override;
    // The server of the display's name, without a screen number: ":0.1" and ":0" are one pointer.
    QString displayName() const override;

    Display* display() const { return display_; }
    bool hasRawKeyLatch() const { return keyDisplay_ != nullptr; }

  private:
    X11Pointer(Display* display, Display* keyDisplay, int xiOpcode);
    // Where the server puts the pointer for a move to (x, y): it keeps it on the screen.
    QPoint onScreen(int x, int y) const;
    // Asks the server for the pointer until `applied`(button mask, position) holds, for at
    // most kAppliedLimit; whether it held.
    bool waitUntilApplied(const std::function<bool(unsigned, QPoint)>& applied);
    // Esc, with any modifiers, taken from every other client for the run's length: the focused
    // target must not see it (a paint program cancels the stroke in progress on it). Raw key
    // events still tell the watcher of it. Nothing where the server refuses the grab.
    void grabEsc();
    void ungrabEsc();
    void watch();
    void drainKeyEvents();
    // Wakes the watcher: kStopWatching ends it, anything else makes it look at its sockets again.
    void wakeWatcher(char reason);
    // Why the run in progress must end now, which the run then tells; empty while nothing is
    // wrong.
    QString runFault();
    // Tells the idle fault listener, if there is one, of a loss between runs.
    void tellIdle(const QString& text);

    Display* display_;
    // Null without XInput2 2.1; used, and closed, by the watcher thread only.
    Display* keyDisplay_;
    int xiOpcode_;
    unsigned escKeycode_ = 0;
    std::atomic<bool> escLatched_{false};
    std::atomic<bool> escDown_{false};
    bool pressed_ = false;
    bool escGrabbed_ = false;
    // Set by a press until the server has shown the next event applied.
    bool awaitingThaw_ = false;
    // The last position a move put the pointer on, as the server keeps it.
    QPoint position_{-1, -1};
    int wakePipe_[2] = {-1, -1};  // wakes the watcher
    std::thread watcher_;
    std::unique_ptr<X11ButtonGuard> buttonGuard_;
    // The guardian's pipe as the watcher watches it; -1 once it saw the guardian die.
    std::atomic<int> watchedGuardianFd_{-1};
    std::atomic<bool> guardianLost_{false};
    // What the watcher learnt of the guardian's end.
    std::mutex guardianGoneMutex_;
    QString guardianGone_;
    // Each loss is told once: by the run it ends, or at once between runs.
    std::atomic<bool> guardianLossTold_{false};
    std::atomic<bool> connectionLossTold_{false};
    // Why no guardian could be started for the run in progress.
    QString guardianError_;
    StopSignals stops_;
    std::atomic<bool> inRun_{false};
    std::mutex idleFaultMutex_;
    std::function<void(const QString&)> idleFaultListener_;
    StopCause stopCause_ = StopCause::EscKey;
};

// The left button as the server sees it (XQueryPointer's mask), whoever pressed it.
bool LeftButtonIsDown(Display* display);

// Releases the left button through XTest if the server has it down; returns whether it did.
// A button pressed through XTest stays down after its client dies, so a separate watchdog
// process (or any later client) can call this on its own connection to clean up.
bool ReleaseLeftButtonIfDown(Display* display);

}  // namespace stylorex
