#include "tests/x11/painting_target.h"

#include "tests/x11/x11_session.h"

#include <QPointF>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <random>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace stylorex::testing {

PixelSet ToPixelSet(const std::vector<QPoint>& points) {
    PixelSet pixels;
    for (const QPoint p : points) {
        pixels.insert({p.x(), p.y()});
    }
    return pixels;
}

PixelSet Minus(const PixelSet& a, const PixelSet& b) {
    PixelSet difference;
    for (const auto& p : a) {
        if (b.count(p) == 0) {
            difference.insert(p);
        }
    }
    return difference;
}

std::set<std::pair<int, int>> CornerSegmentPixels(QPoint from, QPoint to) {
    // Points of the segment at parameters k / steps, k = 0 .. steps - 1: between two crossings
    // of pixel edges there is always one such point, so every pixel it passes is visited. A
    // point on an edge belongs to the pixel right of and below it.
    const int dx = to.x() - from.x();
    const int dy = to.y() - from.y();
    const int steps = 2 * std::max(1, std::abs(dx)) * std::max(1, std::abs(dy));
    auto floorDiv = [](int a, int b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); };
    std::set<std::pair<int, int>> pixels;
    for (int k = 0; k < steps; ++k) {
        pixels.insert({floorDiv(from.x() * steps + k * dx, steps),
                       floorDiv(from.y() * steps + k * dy, steps)});
    }
    return pixels;
}

namespace {

// Calls `visit` with each pixel of a straight one-pixel line from `from` to `to` in turn, both
// ends included (Bresenham).
template <typename Visit>
void WalkLine(QPoint from, QPoint to, Visit visit) {
    int x = from.x();
    int y = from.y();
    const int dx = std::abs(to.x() - x);
    const int dy = -std::abs(to.y() - y);
    const int sx = x < to.x() ? 1 : -1;
    const int sy = y < to.y() ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        visit(QPoint(x, y));
        if (x == to.x() && y == to.y()) {
            return;
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

}  // namespace

std::set<std::pair<int, int>> LinePixels(QPoint from, QPoint to) {
    std::set<std::pair<int, int>> pixels;
    WalkLine(from, to, [&](QPoint p) { pixels.insert({p.x(), p.y()}); });
    return pixels;
}

std::set<std::pair<int, int>> PencilSegmentPixels(QPoint from, QPoint to) {
    std::set<std::pair<int, int>> pixels;
    QPoint last = from;
    WalkLine(from, to, [&](QPoint p) {
        const QPoint step = p - last;
        if (step.x() * step.y() == -1) {
            pixels.insert({std::min(last.x(), p.x()), std::min(last.y(), p.y())});
        } else if (step != QPoint(0, 0)) {
            pixels.insert({{last.x(), last.y()}, {p.x(), p.y()}});
        }
        last = p;
    });
    return pixels;
}

namespace {

std::set<std::pair<int, int>> CurvePixels(QPoint from, QPoint to) {
    const QPointF a(from);
    const QPointF b(to);
    const QPointF along = b - a;
    const double length = std::hypot(along.x(), along.y());
    const QPointF control = (a + b) / 2 + QPointF(along.y(), -along.x()) / 2;
    std::set<std::pair<int, int>> pixels;
    const int samples = 4 * static_cast<int>(std::ceil(length));
    QPoint last = from;
    for (int i = 1; i <= samples; ++i) {
        const double t = static_cast<double>(i) / samples;
        const QPointF at = (1 - t) * (1 - t) * a + 2 * t * (1 - t) * control + t * t * b;
        const QPoint p = at.toPoint();
        WalkLine(last, p, [&](QPoint q) { pixels.insert({q.x(), q.y()}); });
        last = p;
    }
    pixels.insert({from.x(), from.y()});
    return pixels;
}

}  // namespace

PaintingTarget::PaintingTarget(Kind kind, QRect geometry, std::chrono::milliseconds paintDelay,
                               Placement placement, unsigned habits)
    : kind_(kind), habits_(habits), geometry_(geometry), paintDelay_(paintDelay) {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr || pipe2(wakePipe_, O_CLOEXEC) != 0) {
        return;
    }
    const int screen = DefaultScreen(display_);
    const bool managed = placement == Placement::Managed;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = managed ? False : True;
    attributes.background_pixel = WhitePixel(display_, screen);
    attributes.event_mask =
        ButtonPressMask | ButtonReleaseMask | StructureNotifyMask | KeyPressMask | KeyReleaseMask |
        LeaveWindowMask |
        (kind == Kind::LagsAndAsksForThePointer || kind == Kind::JoinsHintPositions
             ? PointerMotionMask | PointerMotionHintMask
             : PointerMotionMask);
    window_ =
        XCreateWindow(display_, DefaultRootWindow(display_), geometry.x(), geometry.y(),
                      static_cast<unsigned>(geometry.width()),
                      static_cast<unsigned>(geometry.height()), 0, CopyFromParent, InputOutput,
                      CopyFromParent, CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
    if (managed) {
        XSizeHints hints{};
        hints.flags = USPosition;
        hints.x = geometry.x();
        hints.y = geometry.y();
        XSetWMNormalHints(display_, window_, &hints);
        XStoreName(display_, window_, "painting target");
    }
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
    if (managed) {
        // The manager's frame moved the inside; it stays put once mapped.
        Pause(200);
        Window child = 0;
        int x = 0;
        int y = 0;
        XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
        geometry_.moveTo(x, y);
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
    if (paintDelay_.count() > 0) {
        work_.push_back({std::chrono::steady_clock::now() + paintDelay_, from, to});
    } else {
        inkNow(from, to);
    }
}

void PaintingTarget::inkDueWork() {
    const auto now = std::chrono::steady_clock::now();
    while (!work_.empty() && work_.front().due <= now) {
        inkNow(work_.front().from, work_.front().to);
        work_.pop_front();
    }
}

void PaintingTarget::inkNow(QPoint from, QPoint to) {
    std::set<std::pair<int, int>> pixels;
    switch (kind_) {
        case Kind::NeverPaints:
            return;
        case Kind::StampsEveryMotion:
            pixels = {{to.x(), to.y()}};
            break;
        case Kind::JoinsAtPixelCorners:
            pixels = from == to ? std::set<std::pair<int, int>>{{to.x(), to.y()}}
                                : CornerSegmentPixels(from, to);
            break;
        case Kind::LeavesUpRightAndDownLeftEndsToTheNextStep:
            pixels = from == to ? std::set<std::pair<int, int>>{{to.x(), to.y()}}
                                : PencilSegmentPixels(from, to);
            break;
        case Kind::JoinsEveryMotion:
        case Kind::LagsAndAsksForThePointer:
        case Kind::JoinsHintPositions:
            pixels = LinePixels(from, to);
            break;
    }
    const QPoint far = to - from;
    if ((habits_ & CurvesLongJoins) != 0 && std::max(std::abs(far.x()), std::abs(far.y())) > 1) {
        pixels = CurvePixels(from, to);
    }
    if ((habits_ & DropsPressDabOnQuickMove) != 0 && from != to) {
        pixels.erase({from.x(), from.y()});
    }
    if ((habits_ & DrawsWithAThreePixelPen) != 0) {
        std::set<std::pair<int, int>> wide;
        for (const auto& [x, y] : pixels) {
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    wide.insert({x + dx, y + dy});
                }
            }
        }
        pixels = std::move(wide);
    }
    std::vector<XPoint> points;
    std::unique_lock lock(mutex_);
    for (const auto& [x, y] : pixels) {
        inked_.insert({x, y});
        points.push_back(
            XPoint{static_cast<short>(x - geometry_.x()), static_cast<short>(y - geometry_.y())});
    }
    lock.unlock();
    XDrawPoints(display_, window_, reinterpret_cast<GC>(gc_), points.data(),
                static_cast<int>(points.size()), CoordModeOrigin);
    if (cross_) {
        moveCross(cross_);  // the cursor stays on top of the ink
    }
    XFlush(display_);
}

std::set<std::pair<int, int>> PaintingTarget::crossPixels() const {
    std::set<std::pair<int, int>> pixels;
    if (cross_) {
        for (int d = -6; d <= 6; ++d) {
            pixels.insert({cross_->x() + d, cross_->y()});
            pixels.insert({cross_->x(), cross_->y() + d});
        }
    }
    return pixels;
}

void PaintingTarget::repaint(const std::set<std::pair<int, int>>& pixels) {
    GC gc = reinterpret_cast<GC>(gc_);
    const int screen = DefaultScreen(display_);
    const auto cross = crossPixels();
    {
        std::lock_guard lock(mutex_);
        for (const auto& [x, y] : pixels) {
            const unsigned long colour = cross.count({x, y}) != 0    ? 0x808080
                                         : inked_.count({x, y}) != 0 ? BlackPixel(display_, screen)
                                                                     : WhitePixel(display_, screen);
            XSetForeground(display_, gc, colour);
            XDrawPoint(display_, window_, gc, x - geometry_.x(), y - geometry_.y());
        }
    }
    XSetForeground(display_, gc, BlackPixel(display_, screen));
}

void PaintingTarget::moveCross(std::optional<QPoint> at) {
    auto pixels = crossPixels();
    cross_ = at;
    pixels.merge(crossPixels());
    repaint(pixels);
    XFlush(display_);
}

void PaintingTarget::cancelStroke() {
    work_.clear();
    std::set<std::pair<int, int>> erased;
    {
        std::lock_guard lock(mutex_);
        erased = Minus(inked_, inkedBeforeStroke_);
        inked_ = inkedBeforeStroke_;
    }
    repaint(erased);
    XFlush(display_);
    down_ = false;
}

void PaintingTarget::putDab() {
    dabDue_.reset();
    ink(last_, last_);
}

void PaintingTarget::sendEsc() {
    Display* other = XOpenDisplay(nullptr);
    if (other == nullptr) {
        return;
    }
    XEvent key{};
    key.xkey.type = KeyPress;
    key.xkey.display = other;
    key.xkey.window = window_;
    key.xkey.root = DefaultRootWindow(other);
    key.xkey.keycode = XKeysymToKeycode(other, XK_Escape);
    key.xkey.same_screen = True;
    XSendEvent(other, window_, False, KeyPressMask, &key);
    XSync(other, False);
    XCloseDisplay(other);
}

void PaintingTarget::run() {
    pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
    while (!stop_) {
        if (wipeRequested_.load()) {
            work_.clear();
            dabDue_.reset();
            XClearWindow(display_, window_);
            XSync(display_, False);
            {
                std::lock_guard lock(mutex_);
                inked_.clear();
            }
            down_ = false;
            // Only now: wipe() returns once the window is white on the screen.
            wipeRequested_ = false;
        }
        inkDueWork();
        if (dabDue_ && *dabDue_ <= std::chrono::steady_clock::now()) {
            putDab();
        }
        if (XPending(display_) == 0) {
            int timeout = dabDue_ ? 1 : 50;
            if (!work_.empty()) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    work_.front().due - std::chrono::steady_clock::now());
                timeout = std::clamp(static_cast<int>(left.count()) + 1, 0, timeout);
            }
            poll(fds, 2, timeout);
            continue;
        }
        XEvent event;
        XNextEvent(display_, &event);
        handle(event);
    }
}

void PaintingTarget::handle(const XEvent& event) {
    switch (event.type) {
        case KeyPress:
        case KeyRelease:
            ++keyEvents_;
            if ((habits_ & CancelsStrokeOnEsc) != 0 && event.type == KeyPress && down_ &&
                event.xkey.keycode == XKeysymToKeycode(display_, XK_Escape)) {
                cancelStroke();
            }
            break;
        case LeaveNotify:
            if (cross_) {
                moveCross(std::nullopt);
            }
            break;
        case ButtonPress:
            if (event.xbutton.button == Button1) {
                if ((habits_ & CancelsStrokeOnEsc) != 0) {
                    XSetInputFocus(display_, window_, RevertToPointerRoot, CurrentTime);
                    std::lock_guard lock(mutex_);
                    inkedBeforeStroke_ = inked_;
                }
                down_ = true;
                last_ = QPoint(event.xbutton.x_root, event.xbutton.y_root);
                if ((habits_ & DropsPressDabOnQuickMove) != 0) {
                    dabDue_ = std::chrono::steady_clock::now() + kDabWindow;
                } else {
                    ink(last_, last_);
                }
            }
            break;
        case ButtonRelease:
            if (event.xbutton.button == Button1 && down_) {
                if (dabDue_) {
                    putDab();
                }
                const QPoint at(event.xbutton.x_root, event.xbutton.y_root);
                if (kind_ != Kind::JoinsHintPositions && kind_ != Kind::JoinsAtPixelCorners &&
                    kind_ != Kind::LeavesUpRightAndDownLeftEndsToTheNextStep) {
                    ink(last_, at);
                }
                down_ = false;
            }
            break;
        case MotionNotify: {
            QPoint at(event.xmotion.x_root, event.xmotion.y_root);
            XEvent next;
            while (kind_ == Kind::LeavesUpRightAndDownLeftEndsToTheNextStep &&
                   XPending(display_) > 0 &&
                   (XPeekEvent(display_, &next), next.type == MotionNotify)) {
                XNextEvent(display_, &next);
                at = QPoint(next.xmotion.x_root, next.xmotion.y_root);
            }
            if ((habits_ & DrawsCursorCross) != 0) {
                moveCross(at);
            }
            if (!down_) {
                break;
            }
            dabDue_.reset();  // the dab is dropped: a move came within kDabWindow
            if (kind_ == Kind::LagsAndAsksForThePointer || kind_ == Kind::JoinsHintPositions) {
                std::this_thread::sleep_for(kind_ == Kind::LagsAndAsksForThePointer
                                                ? std::chrono::microseconds(1000 * lagMs_(random_))
                                                : std::chrono::microseconds(hintWorkUs_(random_)));
                Window root = 0;
                Window child = 0;
                int rootX = 0;
                int rootY = 0;
                int windowX = 0;
                int windowY = 0;
                unsigned mask = 0;
                XQueryPointer(display_, window_, &root, &child, &rootX, &rootY, &windowX, &windowY,
                              &mask);
                if ((mask & Button1Mask) == 0) {
                    break;  // the drag has ended meanwhile: its release event follows
                }
                if (kind_ == Kind::LagsAndAsksForThePointer) {
                    at = QPoint(rootX, rootY);
                }
            }
            if (at != last_) {
                ink(last_, at);
            }
            last_ = at;
            break;
        }
        case ClientMessage:
            if (event.xclient.data.l[0] == kSettleRequest) {
                // Work still queued is done first, as the target would do it.
                if (dabDue_) {
                    std::this_thread::sleep_until(*dabDue_);
                    putDab();
                }
                while (!work_.empty()) {
                    std::this_thread::sleep_until(work_.front().due);
                    inkDueWork();
                }
                XSync(display_, False);  // the ink drawn so far is on the screen now
                ++settled_;
            }
            break;
        default:
            break;
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
