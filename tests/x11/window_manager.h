#pragma once

#include <sys/types.h>

typedef struct _XDisplay Display;

namespace stylorex::testing {

// Whether a window manager has taken the screen: the root window names its check window (one
// left by an earlier manager looks the same).
bool WindowManagerAnnounced(Display* display);

// openbox in its default configuration (click to focus) on the X server in DISPLAY, for as
// long as the object lives: the window manager users have on their desktops, with its own
// passive grab on every press into a client window.
class WindowManager {
  public:
    WindowManager();
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    // Whether openbox runs and manages the screen.
    bool running() const { return pid_ > 0; }

  private:
    pid_t pid_ = -1;
};

// A window of the test's own, managed by the window manager, that takes the keyboard focus as
// the program's own window would have it while the user starts a run: the target then is not
// the focused window, as a user's target usually is not.
class FocusHolder {
  public:
    FocusHolder(int x, int y);
    ~FocusHolder();
    FocusHolder(const FocusHolder&) = delete;
    FocusHolder& operator=(const FocusHolder&) = delete;

    // Gives the holder the focus and waits until the server says it has it.
    bool takeFocus();

  private:
    Display* display_ = nullptr;
    unsigned long window_ = 0;
};

}  // namespace stylorex::testing
