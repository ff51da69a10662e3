#include "tests/x11/painting_target.h"

#include "tests/x11/x11_session.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <random>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace stylorex::testing {

std::set<std::pair<int, int>> LinePixels(QPoint from, QPoint to) {
    std::set<std::pair<int, int>> pixels;
    int x = from.x();
    int y = from.y();
    const int dx = std::abs(to.x() - x);
    const int dy = -std::abs(to.y() - y);
    const int sx = x < to.x() ? 1 : -1;
    const int sy = y < to.y() ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        pixels.insert({x, y});
        if (x == to.x() && y == to.y()) {
            return pixels;
        }
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
}

PaintingTarget::PaintingTarget(Kind kind, QRect geometry) : kind_(kind), geometry_(geometry) {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr || pipe2(wakePipe_, O_CLOEXEC) != 0) {
        return;
    }
    const int screen = DefaultScreen(display_);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = WhitePixel(display_, screen);
    attributes.event_mask =
        ButtonPressMask | ButtonReleaseMask | StructureNotifyMask |
        (kind == Kind::LagsAndAsksForThePointer ? PointerMotionMask | PointerMotionHintMask
                                                : PointerMotionMask);
    window_ =
        XCreateWindow(display_, DefaultRootWindow(display_), geometry.x(), geometry.y(),
                      static_cast<unsigned>(geometry.width()),
                      static_cast<unsigned>(geometry.height()), 0, CopyFromParent, InputOutput,
                      CopyFromParent, CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
    GC gc = XCreateGC(display_, window_, 0, nullptr);
    XSetForeground(display_, gc, BlackPixel(display_, screen));
    gc_ = reinterpret_cast<unsigned long>(gc);
    XMapRaised(display_, window_);
    XSync(display_, False);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!mapped_ && std::chrono::steady_clock::now() < deadline) {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            mapped_ = mapped_ || (event.type == MapNotify && event.xmap.window == window_);
        }
        Pause(5);
    }
    thread_ = std::thread([this] { run(); });
}

PaintingTarget::~PaintingTarget() {
    if (thread_.joinable()) {
        stop_ = true;
        const char wake = 0;
        [[maybe_unused]] const ssize_t written = write(wakePipe_[1], &wake, 1);
        thread_.join();
    }
    for (int fd : wakePipe_) {
        if (fd >= 0) {
            close(fd);
        }
    }
    if (display_ != nullptr) {
        if (gc_ != 0) {
            XFreeGC(display_, reinterpret_cast<GC>(gc_));
        }
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }
}

void PaintingTarget::ink(QPoint from, QPoint to) {
    if (kind_ == Kind::NeverPaints) {
        return;
    }
    const auto pixels = kind_ == Kind::StampsEveryMotion
                            ? std::set<std::pair<int, int>>{{to.x(), to.y()}}
                            : LinePixels(from, to);
    std::vector<XPoint> points;
    std::lock_guard lock(mutex_);
    for (const auto& [x, y] : pixels) {
        inked_.insert({x, y});
        points.push_back(
            XPoint{static_cast<short>(x - geometry_.x()), static_cast<short>(y - geometry_.y())});
    }
    XDrawPoints(display_, window_, reinterpret_cast<GC>(gc_), points.data(),
                static_cast<int>(points.size()), CoordModeOrigin);
    XFlush(display_);
}

void PaintingTarget::run() {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> work(2, 9);
    bool down = false;
    QPoint last;
    pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
    while (!stop_) {
        if (wipeRequested_.load()) {
            XClearWindow(display_, window_);
            XSync(display_, False);
            {
                std::lock_guard lock(mutex_);
                inked_.clear();
            }
            down = false;
            // Only now: wipe() returns once the window is white on the screen.
            wipeRequested_ = false;
        }
        if (XPending(display_) == 0) {
            poll(fds, 2, 50);
            continue;
        }
        XEvent event;
        XNextEvent(display_, &event);
        switch (event.type) {
            case ButtonPress:
                if (event.xbutton.button == Button1) {
                    down = true;
                    last = QPoint(event.xbutton.x_root, event.xbutton.y_root);
                    ink(last, last);
                }
                break;
            case ButtonRelease:
                if (event.xbutton.button == Button1 && down) {
                    const QPoint at(event.xbutton.x_root, event.xbutton.y_root);
                    ink(last, at);
                    down = false;
                }
                break;
            case MotionNotify: {
                if (!down) {
                    break;
                }
                QPoint at(event.xmotion.x_root, event.xmotion.y_root);
                if (kind_ == Kind::LagsAndAsksForThePointer) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(work(random)));
                    Window root = 0;
                    Window child = 0;
                    int rootX = 0;
                    int rootY = 0;
                    int windowX = 0;
                    int windowY = 0;
                    unsigned mask = 0;
                    XQueryPointer(display_, window_, &root, &child, &rootX, &rootY, &windowX,
                                  &windowY, &mask);
                    if ((mask & Button1Mask) == 0) {
                        break;  // the drag has ended meanwhile: its release event follows
                    }
                    at = QPoint(rootX, rootY);
                }
                ink(last, at);
                last = at;
                break;
            }
            case ClientMessage:
                if (event.xclient.data.l[0] == kSettleRequest) {
                    XSync(display_, False);  // the ink drawn so far is on the screen now
                    ++settled_;
                }
                break;
            default:
                break;
        }
    }
}

bool PaintingTarget::settle() {
    return AskToSettle(window_, settled_);
}

bool AskToSettle(unsigned long window, const std::atomic<int>& settled) {
    Display* other = XOpenDisplay(nullptr);
    if (other == nullptr) {
        return false;
    }
    const int before = settled;
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = window;
    message.xclient.format = 32;
    message.xclient.message_type = XInternAtom(other, "STYLOREX_SETTLE", False);
    message.xclient.data.l[0] = kSettleRequest;
    XSendEvent(other, window, False, NoEventMask, &message);
    XSync(other, False);
    XCloseDisplay(other);
    // Every event the server sent the target before the message has been handled, and its ink
    // drawn, once the message has.
    return Eventually([&] { return settled > before; }, 10000, 2);
}

std::set<std::pair<int, int>> PaintingTarget::inked() const {
    std::lock_guard lock(mutex_);
    return inked_;
}

void PaintingTarget::wipe() {
    wipeRequested_ = true;
    const char wake = 0;
    [[maybe_unused]] const ssize_t written = write(wakePipe_[1], &wake, 1);
    Eventually([&] { return !wipeRequested_.load(); }, 5000, 2);
}

}  // namespace stylorex::testing
