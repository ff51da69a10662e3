#include "tests/x11/target_window.h"

#include <poll.h>

#include <chrono>
#include <sstream>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace stylorex::testing {

namespace {

// Waits up to `ms` for the connection to have something to read.
bool waitReadable(Display* display, int ms) {
    if (XPending(display) > 0) {
        return true;
    }
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    return poll(&fd, 1, ms) > 0 && XPending(display) > 0;
}

}  // namespace

void PrintTo(const ReceivedEvent& event, std::ostream* out) {
    if (event.kind == ReceivedEvent::Kind::KeyDown || event.kind == ReceivedEvent::Kind::KeyUp) {
        *out << (event.kind == ReceivedEvent::Kind::KeyDown ? "K+" : "K-") << "(" << event.x << ")";
        return;
    }
    *out << (event.kind == ReceivedEvent::Kind::Motion  ? "M"
             : event.kind == ReceivedEvent::Kind::Press ? "P"
                                                        : "R")
         << "(" << event.x << "," << event.y << ")";
}

std::string Describe(const std::vector<ReceivedEvent>& events) {
    std::ostringstream out;
    for (const ReceivedEvent& e : events) {
        PrintTo(e, &out);
        out << " ";
    }
    return out.str();
}

TargetWindow::TargetWindow(int x, int y, int width, int height, Placement placement) {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) {
        return;
    }
    XSetWindowAttributes attributes{};
    attributes.override_redirect = placement == Placement::Unmanaged ? True : False;
    attributes.background_pixel = WhitePixel(display_, DefaultScreen(display_));
    attributes.event_mask = PointerMotionMask | ButtonPressMask | ButtonReleaseMask |
                            StructureNotifyMask | KeyPressMask | KeyReleaseMask;
    // Each test's target lives on a new connection and so gets the window id of the target
    // before it. openbox now and then drops the map request of such a window for good, as if
    // it still managed the old one; a window created again on this connection has a new id.
    const int attempts = placement == Placement::Managed ? 5 : 1;
    const auto wait =
        placement == Placement::Managed ? std::chrono::seconds(1) : std::chrono::seconds(5);
    for (int attempt = 0; attempt < attempts && !mapped_; ++attempt) {
        if (window_ != 0) {
            XDestroyWindow(display_, window_);
        }
        window_ = XCreateWindow(display_, DefaultRootWindow(display_), x, y,
                                static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                                CopyFromParent, InputOutput, CopyFromParent,
                                CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
        if (placement == Placement::Managed) {
            XSizeHints hints{};
            hints.flags = USPosition;
            hints.x = x;
            hints.y = y;
            XSetWMNormalHints(display_, window_, &hints);
            XStoreName(display_, window_, "target");
        }
        XMapRaised(display_, window_);
        XFlush(display_);
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (!mapped_ && std::chrono::steady_clock::now() < deadline) {
            if (!waitReadable(display_, 100)) {
                continue;
            }
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == MapNotify && event.xmap.window == window_) {
                mapped_ = true;
            }
        }
    }
    XSync(display_, False);
}

QPoint TargetWindow::position() const {
    Window child = 0;
    int x = 0;
    int y = 0;
    XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    return {x, y};
}

TargetWindow::~TargetWindow() {
    if (display_ != nullptr) {
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }
}

std::vector<ReceivedEvent> TargetWindow::collect() {
    std::vector<ReceivedEvent> events;
    XSync(display_, False);
    while (waitReadable(display_, 100)) {
        XEvent event;
        XNextEvent(display_, &event);
        switch (event.type) {
            case MotionNotify:
                events.push_back(
                    {ReceivedEvent::Kind::Motion, event.xmotion.x_root, event.xmotion.y_root});
                break;
            case ButtonPress:
                if (event.xbutton.button == Button1) {
                    events.push_back(
                        {ReceivedEvent::Kind::Press, event.xbutton.x_root, event.xbutton.y_root});
                }
                break;
            case ButtonRelease:
                if (event.xbutton.button == Button1) {
                    events.push_back(
                        {ReceivedEvent::Kind::Release, event.xbutton.x_root, event.xbutton.y_root});
                }
                break;
            case KeyPress:
            case KeyRelease:
                events.push_back({event.type == KeyPress ? ReceivedEvent::Kind::KeyDown
                                                         : ReceivedEvent::Kind::KeyUp,
                                  static_cast<int>(event.xkey.keycode), 0});
                break;
            default:
                break;
        }
    }
    return events;
}

std::vector<ReceivedEvent> WithoutRepeatedMotions(const std::vector<ReceivedEvent>& events) {
    std::vector<ReceivedEvent> result;
    for (const ReceivedEvent& e : events) {
        if (e.kind == ReceivedEvent::Kind::Motion && !result.empty() && result.back().x == e.x &&
            result.back().y == e.y) {
            continue;
        }
        result.push_back(e);
    }
    return result;
}

}  // namespace stylorex::testing
