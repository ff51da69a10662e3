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

bool WindowManagerAnnounced(Display* display) {
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

namespace {

// openbox names its check window before it has finished starting, and a window mapped in
// the tens of milliseconds between is never managed, nor shown. It is ready once it frames a
// window mapped after that: a probe of our own, mapped anew until one is reparented. (A check
// window left on the root by an earlier openbox looks the same, so the name alone says
// nothing on a server that has had one.)
bool FramesNewWindows(Display* display) {
    const Window probe =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
    XSelectInput(display, probe, StructureNotifyMask);
    XMapWindow(display, probe);
    XSync(display, False);
    const bool framed = Eventually(
        [&] {
            XEvent event;
            while (XCheckTypedWindowEvent(display, probe, ReparentNotify, &event)) {
                if (event.xreparent.parent != DefaultRootWindow(display)) {
                    return true;
                }
            }
            return false;
        },
        300, 5);
    XDestroyWindow(display, probe);
    XSync(display, False);
    return framed;
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
    if (!Eventually([&] { return WindowManagerAnnounced(session.display()); }, 10000, 20) ||
        !Eventually([&] { return FramesNewWindows(session.display()); }, 10000, 0)) {
        ADD_FAILURE() << "openbox did not take the screen";
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
