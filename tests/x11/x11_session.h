#pragma once

#include "os/x11/x11_pointer.h"

#include <QString>

#include <functional>
#include <memory>

namespace stylorex::testing {

// The test's own connection to the X server named by DISPLAY, for injecting keys and reading
// the button mask independently of the backend under test.
class X11Session {
  public:
    X11Session();
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    Display* display() const { return display_; }
    // Esc through XTest, synced, then a short pause so the raw event has reached every client.
    void pressEsc();
    void releaseEsc();
    void tapEsc();
    void moveTo(int x, int y);
    int screenWidth() const;
    int screenHeight() const;
    bool leftButtonDown() const { return LeftButtonIsDown(display_); }
    void pressLeftButton();
    // Puts the pointer and the keyboard back to rest after a test, whatever it left.
    void restore();

  private:
    void settle();
    Display* display_ = nullptr;
};

// Asks `condition` until it holds, for at most `ms` milliseconds, every `pollMs` milliseconds;
// the backend's key watcher runs on a thread of its own and may need a moment on a busy
// machine, and another process's window needs longer.
bool Eventually(const std::function<bool()>& condition, int ms = 3000, int pollMs = 5);

// Sleeps the calling thread: for a process of its own, which the test cannot ask whether it
// has handled what the server delivered.
void Pause(int ms);

// Opens the backend under test, or fails the calling test with the backend's reason.
std::unique_ptr<X11Pointer> OpenBackend();

}  // namespace stylorex::testing
