#include "tests/x11/swatch_target.h"

#include "tests/x11/painting_target.h"
#include "tests/x11/x11_session.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace stylorex::testing {

SwatchTarget::SwatchTarget(QRect geometry, std::vector<Swatch> swatches)
    : geometry_(geometry), swatches_(std::move(swatches)), pressesOfSwatch_(swatches_.size(), 0) {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr || pipe2(wakePipe_, O_CLOEXEC) != 0) {
        return;
    }
    const int screen = DefaultScreen(display_);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = WhitePixel(display_, screen);
    attributes.event_mask =
        ButtonPressMask | ButtonReleaseMask | PointerMotionMask | StructureNotifyMask;
    window_ =
        XCreateWindow(display_, DefaultRootWindow(display_), geometry.x(), geometry.y(),
                      static_cast<unsigned>(geometry.width()),
                      static_cast<unsigned>(geometry.height()), 0, CopyFromParent, InputOutput,
                      CopyFromParent, CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
    gc_ = reinterpret_cast<unsigned long>(XCreateGC(display_, window_, 0, nullptr));
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
    for (std::size_t i = 0; i < swatches_.size(); ++i) {
        const QPoint centre = swatchCentre(static_cast<int>(i)) - geometry_.topLeft();
        fill(QRect(centre - QPoint(kSwatchSize / 2, kSwatchSize / 2),
                   QSize(kSwatchSize, kSwatchSize)),
             swatches_[i].colour);
    }
    XSync(display_, False);
    thread_ = std::thread([this] { run(); });
}

SwatchTarget::~SwatchTarget() {
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

QPoint SwatchTarget::swatchCentre(int index) const {
    return geometry_.topLeft() +
           QPoint(8 + index * kSwatchStep + kSwatchSize / 2, 8 + kSwatchSize / 2);
}

void SwatchTarget::fill(QRect rect, QRgb colour) {
    // A 24-bit TrueColor visual (Xvfb's): the pixel value is the colour itself.
    XSetForeground(display_, reinterpret_cast<GC>(gc_), colour & 0xffffffU);
    XFillRectangle(display_, window_, reinterpret_cast<GC>(gc_), rect.x(), rect.y(),
                   static_cast<unsigned>(rect.width()), static_cast<unsigned>(rect.height()));
}

void SwatchTarget::press(QPoint at) {
    int swatch = -1;
    for (std::size_t i = 0; i < swatches_.size(); ++i) {
        const QPoint centre = swatchCentre(static_cast<int>(i));
        if (std::abs(at.x() - centre.x()) <= kSwatchSize / 2 &&
            std::abs(at.y() - centre.y()) <= kSwatchSize / 2) {
            swatch = static_cast<int>(i);
        }
    }
    if (swatch >= 0) {
        const Swatch& s = swatches_[static_cast<std::size_t>(swatch)];
        const int earlier = pressesOfSwatch_[static_cast<std::size_t>(swatch)]++;
        if (s.answer == Answer::Takes || (s.answer == Answer::IgnoresFirstPress && earlier > 0)) {
            ink_ = s.colour;
        }
    }
    std::lock_guard lock(mutex_);
    presses_.push_back(Press{at, swatch, ink_});
}

void SwatchTarget::ink(QPoint from, QPoint to) {
    if (from.y() < canvasTopLeft().y() || to.y() < canvasTopLeft().y()) {
        return;  // the swatch row is no canvas
    }
    std::vector<XPoint> points;
    std::lock_guard lock(mutex_);
    for (const auto& [x, y] : LinePixels(from, to)) {
        inked_[{x, y}] = ink_;
        points.push_back(
            XPoint{static_cast<short>(x - geometry_.x()), static_cast<short>(y - geometry_.y())});
    }
    XSetForeground(display_, reinterpret_cast<GC>(gc_), ink_ & 0xffffffU);
    XDrawPoints(display_, window_, reinterpret_cast<GC>(gc_), points.data(),
                static_cast<int>(points.size()), CoordModeOrigin);
    XFlush(display_);
}

void SwatchTarget::run() {
    bool down = false;
    QPoint last;
    pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
    while (!stop_) {
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
                    press(last);
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
            case MotionNotify:
                if (down) {
                    const QPoint at(event.xmotion.x_root, event.xmotion.y_root);
                    ink(last, at);
                    last = at;
                }
                break;
            case ClientMessage:
                if (event.xclient.data.l[0] == kSettleRequest) {
                    XSync(display_, False);
                    ++settled_;
                }
                break;
            default:
                break;
        }
    }
}

bool SwatchTarget::settle() {
    return AskToSettle(window_, settled_);
}

std::vector<SwatchTarget::Press> SwatchTarget::presses() const {
    std::lock_guard lock(mutex_);
    return presses_;
}

std::map<std::pair<int, int>, QRgb> SwatchTarget::inked() const {
    std::lock_guard lock(mutex_);
    return inked_;
}

}  // namespace stylorex::testing
