#include "tests/x11/window_manager.h"

#include "tests/x11/x11_session.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

namespace stylorex::testing {

namespace {

// openbox has taken the screen once the root window names its check window.
bool ManagerAnnounced(Display* display) {
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const bool found =
        XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                           &type, &format, &items, &after, &data) == Success &&
        items == 1;
    if (data != nullptr) {
        XFree(data);
    }
    return found;
}

// Maps a window of ours and waits briefly until openbox has managed it. openbox announces
// itself a little before it handles requests, and on a fresh server a window mapped in between
// stays unmapped for good.
bool ManagesAProbeWindow(Display* display) {
    XSetWindowAttributes attributes{};
    attributes.event_mask = StructureNotifyMask;
    const Window probe =
        XCreateWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWEventMask, &attributes);
    XMapWindow(display, probe);
    XSync(display, False);
    XEvent event;
    const bool mapped = Eventually(
        [&] { return XCheckTypedWindowEvent(display, probe, MapNotify, &event) == True; }, 500, 10);
    XDestroyWindow(display, probe);
    XSync(display, False);
    return mapped;
}

}  // namespace

WindowManager::WindowManager() {
    X11Session session;
    char program[] = "openbox";
    char noSession[] = "--sm-disable";
    char* argv[] = {program, noSession, nullptr};
    // Its notes about missing menu files are of no interest here.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&pid_, program, &quiet, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) {
        pid_ = -1;
        ADD_FAILURE() << "openbox could not be started (scripts/install-deps installs it)";
        return;
    }
    if (!Eventually([&] { return ManagerAnnounced(session.display()); }, 10000, 20)) {
        ADD_FAILURE() << "openbox did not take the screen";
    } else if (!Eventually([&] { return ManagesAProbeWindow(session.display()); }, 10000, 0)) {
        ADD_FAILURE() << "openbox took the screen but manages no window";
    }
}

WindowManager::~WindowManager() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
}

FocusHolder::FocusHolder(int x, int y) {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) {
        return;
    }
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), x, y, 120, 80, 0, 0,
                                  WhitePixel(display_, DefaultScreen(display_)));
    XSizeHints hints{};
    hints.flags = USPosition;
    hints.x = x;
    hints.y = y;
    XSetWMNormalHints(display_, window_, &hints);
    XStoreName(display_, window_, "focus holder");
    XMapRaised(display_, window_);
    XSync(display_, False);
}

FocusHolder::~FocusHolder() {
    if (display_ != nullptr) {
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }
}

bool FocusHolder::takeFocus() {
    return Eventually(
        [&] {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display_, window_, &attributes) == 0 ||
                attributes.map_state != IsViewable) {
                return false;
            }
            XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
            XSync(display_, False);
            Window focus = 0;
            int revert = 0;
            XGetInputFocus(display_, &focus, &revert);
            return focus == window_;
        },
        5000, 20);
}

}  // namespace stylorex::testing
