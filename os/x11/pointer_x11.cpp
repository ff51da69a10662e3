#include "os/x11/x11_pointer.h"

#include "os/run_lock.h"
#include "os/x11/button_guard_x11.h"
#include "os/x11/x11_connections.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QPoint>
#include <QSize>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <iterator>
#include <stdexcept>
#include <thread>
#include <vector>

// Xlib comes after every Qt header: its macros (None, Bool, Status...) would clash with Qt's.
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace stylorex {

namespace {

struct PointerState {
    QPoint position;
    unsigned mask = 0;
};

PointerState queryPointer(Display* display) {
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    PointerState state;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX,
                  &windowY, &state.mask);
    state.position = QPoint(rootX, rootY);
    return state;
}

constexpr unsigned kLeftButton = 1;

// How long the backend waits for the server to show an event applied after a press (see
// X11Pointer::waitUntilApplied). Under openbox on Xvfb the pointer thawed a median 0.45 ms
// after a press, 95 % within 5 to 12 ms and at most 16 ms with both cores loaded
// (docs/performance.md). The limit is far above that, so it is only reached when the server
// never applies the event (a pointer held by a hung window manager): the run then goes on
// rather than hang the program.
constexpr auto kAppliedLimit = std::chrono::seconds(1);
// Between two questions to the server while waiting: short against the window manager's
// reaction, long enough not to compete with it for the processor.
constexpr auto kAppliedPollInterval = std::chrono::microseconds(100);

// What the watcher thread is woken for.
constexpr char kStopWatching = 's';
constexpr char kLookAgain = 'l';
// How often the watcher looks again which connections the program has open.
constexpr int kConnectionsLookAgainMs = 100;

QString guardianStopped() {
    return QCoreApplication::translate("PointerX11", "ボタンの見張りが止まりました");
}

// Why the guardian at the pipe `fd`, which polled readable, no longer guards as it should: it
// has died (the pipe closed), or its own connection to the server was closed. Empty when
// neither; a stray byte is read and dropped.
QString guardianGone(int fd) {
    char byte = 0;
    const ssize_t got = ::recv(fd, &byte, 1, MSG_DONTWAIT);
    if (got == 1 && byte == guardian_message::kConnectionLost) {
        return QCoreApplication::translate("PointerX11",
                                           "見張りプロセスの X サーバーとの接続が切れました");
    }
    if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
        return QCoreApplication::translate("PointerX11", "見張りプロセスが終了しました");
    }
    return {};
}

bool keyDownInKeymap(Display* display, unsigned keycode) {
    char keys[32] = {};
    XQueryKeymap(display, keys);
    return (static_cast<unsigned char>(keys[keycode / 8]) >> (keycode % 8)) & 1U;
}

// Opens the private connection for the raw key latch and selects raw key presses and releases
// on the root window. Null when the server lacks XInput2 2.1 (raw events without a grab).
Display* openKeyConnection(int* xiOpcode) {
    Display* keys = OpenX11Connection(X11Role::Keys);
    if (keys == nullptr) {
        return nullptr;
    }
    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 2;
    if (!XQueryExtension(keys, "XInputExtension", xiOpcode, &event, &error) ||
        XIQueryVersion(keys, &major, &minor) != Success || major < 2 || (major == 2 && minor < 1)) {
        CloseX11Connection(keys);
        return nullptr;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask;
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = sizeof(bits);
    mask.mask = bits;
    XISelectEvents(keys, DefaultRootWindow(keys), &mask, 1);
    XSync(keys, False);
    return keys;
}

// Set by refusedGrab while a grab of Esc is asked for.
bool g_grabRefused = false;

int refusedGrab(Display* /*display*/, XErrorEvent* error) {
    g_grabRefused = g_grabRefused || error->error_code == BadAccess;
    return 0;
}

// The modifier states a grab of Esc covers one by one where another client holds a grab of it
// with some modifier (AnyModifier then fails as a whole): Esc alone, with Caps Lock and with
// Num Lock (Mod2 in every usual keymap), and with Shift and Ctrl.
constexpr unsigned kEscGrabStates[] = {0,         LockMask,   Mod2Mask, LockMask | Mod2Mask,
                                       ShiftMask, ControlMask};

}  // namespace

std::unique_ptr<X11Pointer> X11Pointer::open(QString* error) {
    auto fail = [error](const QString& text) {
        if (error != nullptr) {
            *error = text;
        }
        return std::unique_ptr<X11Pointer>();
    };
    Display* display = OpenX11Connection(X11Role::Pointer);
    if (display == nullptr) {
        return fail(
            QCoreApplication::translate("PointerX11",
                                        "X ディスプレイ %1 に接続できません。マウスポインタを操作"
                                        "できないため、X11 セッションの中で Stylorex "
                                        "を起動してください。")
                .arg(QString::fromLocal8Bit(qgetenv("DISPLAY"))));
    }
    int event = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(display, &event, &errorBase, &major, &minor)) {
        CloseX11Connection(display);
        return fail(
            QCoreApplication::translate("PointerX11",
                                        "X サーバーに XTest 拡張がないため、マウスポインタを操作"
                                        "できません。XTest の使える X11 セッションで Stylorex "
                                        "を起動してください。"));
    }
    int xiOpcode = 0;
    Display* keys = openKeyConnection(&xiOpcode);
    return std::unique_ptr<X11Pointer>(new X11Pointer(display, keys, xiOpcode));
}

X11Pointer::X11Pointer(Display* display, Display* keyDisplay, int xiOpcode)
    : PointerDevice(*this, *this),
      display_(display),
      keyDisplay_(keyDisplay),
      xiOpcode_(xiOpcode),
      buttonGuard_(std::make_unique<X11ButtonGuard>()) {
    escKeycode_ = XKeysymToKeycode(display_, XK_Escape);
    if (escKeycode_ != 0) {
        escDown_ = keyDownInKeymap(display_, escKeycode_);
    }
    watchedGuardianFd_ = buttonGuard_->guardianFd();
    if (pipe2(wakePipe_, O_CLOEXEC) == 0) {
        // The watcher closes the key connection itself: when its read finds the connection
        // lost, Xlib leaves the connection locked to that thread, and a close from any other
        // thread would wait for it for ever.
        watcher_ = std::thread([this] {
            watch();
            CloseX11Connection(keyDisplay_);
        });
    } else if (keyDisplay_ != nullptr) {
        CloseX11Connection(keyDisplay_);
        keyDisplay_ = nullptr;
    }
}

X11Pointer::~X11Pointer() {
    if (pressed_) {
        if (X11ConnectionLost(display_)) {
            buttonGuard_->releaseElsewhere();
        } else {
            XTestFakeButtonEvent(display_, kLeftButton, False, CurrentTime);
        }
    }
    XSync(display_, False);
    if (watcher_.joinable()) {
        wakeWatcher(kStopWatching);
        watcher_.join();
    }
    CloseX11Connection(display_);
    for (int fd : wakePipe_) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

void X11Pointer::wakeWatcher(char reason) {
    while (write(wakePipe_[1], &reason, 1) < 0 && errno == EINTR) {
    }
}

void X11Pointer::watch() {
    bool keysWatched = keyDisplay_ != nullptr;
    for (;;) {
        if (keysWatched) {
            drainKeyEvents();
        }
        std::vector<pollfd> fds = {
            {wakePipe_[0], POLLIN, 0},
            {keysWatched ? ConnectionNumber(keyDisplay_) : -1, POLLIN, 0},
            {watchedGuardianFd_.load(), POLLIN, 0},
        };
        // The program's other connections, opened before or after this one (the screen's):
        // polled for no event, a socket reports only a hang-up, when the server closed it.
        std::vector<Display*> others;
        for (const auto& [display, fd] : OpenX11Connections()) {
            if (display != keyDisplay_) {
                others.push_back(display);
                fds.push_back({fd, 0, 0});
            }
        }
        if (poll(fds.data(), fds.size(), kConnectionsLookAgainMs) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[0].revents != 0) {
            char reason = kStopWatching;
            if (read(wakePipe_[0], &reason, 1) != 1 || reason == kStopWatching) {
                return;
            }
        }
        constexpr short kHungUp = POLLERR | POLLHUP | POLLNVAL;
        if ((fds[1].revents & kHungUp) != 0) {
            keysWatched = false;
            NoteX11ConnectionHungUp(keyDisplay_);
        }
        const QString gone = fds[2].revents != 0 ? guardianGone(fds[2].fd) : QString();
        if (!gone.isEmpty()) {
            int watched = fds[2].fd;
            if (watchedGuardianFd_.compare_exchange_strong(watched, -1)) {
                {
                    const std::lock_guard lock(guardianGoneMutex_);
                    guardianGone_ = gone;
                }
                guardianLossTold_ = false;
                guardianLost_ = true;
                if (!inRun_ && !guardianLossTold_.exchange(true)) {
                    tellIdle(guardianStopped() +
                             QCoreApplication::translate("PointerX11",
                                                         "（%1）。次の描画の前に起動し直します。")
                                 .arg(gone));
                }
            }
        }
        for (std::size_t i = 0; i < others.size(); ++i) {
            if ((fds[3 + i].revents & kHungUp) != 0) {
                NoteX11ConnectionHungUp(others[i]);
            }
        }
        // A loss during a run is the run's to tell, as the reason it ended; one between runs,
        // found here or by whoever used the connection, is told at once.
        if (!inRun_) {
            if (const std::optional<QString> lost = LostX11ConnectionMessage();
                lost && !connectionLossTold_.exchange(true)) {
                tellIdle(*lost);
            }
        }
    }
}

void X11Pointer::tellIdle(const QString& text) {
    const std::lock_guard lock(idleFaultMutex_);
    if (idleFaultListener_) {
        idleFaultListener_(text);
    }
}

QPoint X11Pointer::onScreen(int x, int y) const {
    const int screen = DefaultScreen(display_);
    return QPoint(std::clamp(x, 0, DisplayWidth(display_, screen) - 1),
                  std::clamp(y, 0, DisplayHeight(display_, screen) - 1));
}

bool X11Pointer::waitUntilApplied(const std::function<bool(unsigned, QPoint)>& applied) {
    const auto deadline = std::chrono::steady_clock::now() + kAppliedLimit;
    for (;;) {
        if (X11ConnectionLost(display_)) {
            return false;
        }
        // XQueryPointer is a round trip: the server has handled every request sent before it.
        const PointerState state = queryPointer(display_);
        if (applied(state.mask, state.position)) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kAppliedPollInterval);
    }
}

void X11Pointer::moveTo(int x, int y) {
    const QPoint where = onScreen(x, y);
    if (awaitingThaw_) {
        if (where == position_) {
            return;  // the pointer already stands there; nothing may queue behind the press
        }
        XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
        waitUntilApplied([&](unsigned, QPoint at) { return at == where; });
        awaitingThaw_ = false;
    } else {
        XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
        XFlush(display_);
    }
    position_ = where;
}

void X11Pointer::pressLeft(int /*x*/, int /*y*/) {
    buttonGuard_->pressing();
    pressed_ = true;
    XTestFakeButtonEvent(display_, kLeftButton, True, CurrentTime);
    XFlush(display_);
    awaitingThaw_ = true;
}

void X11Pointer::releaseLeft(int /*x*/, int /*y*/) {
    XTestFakeButtonEvent(display_, kLeftButton, False, CurrentTime);
    if (waitUntilApplied([](unsigned mask, QPoint) { return (mask & Button1Mask) == 0; })) {
        buttonGuard_->released();
    } else if (X11ConnectionLost(display_)) {
        buttonGuard_->releaseElsewhere();
    }
    awaitingThaw_ = false;
    pressed_ = false;
}

void X11Pointer::grabEsc() {
    if (escKeycode_ == 0 || X11ConnectionLost(display_)) {
        return;
    }
    Window root = DefaultRootWindow(display_);
    XSync(display_, False);
    g_grabRefused = false;
    const auto previous = XSetErrorHandler(refusedGrab);
    XGrabKey(display_, static_cast<int>(escKeycode_), AnyModifier, root, False, GrabModeAsync,
             GrabModeAsync);
    XSync(display_, False);
    if (g_grabRefused) {
        for (const unsigned state : kEscGrabStates) {
            XGrabKey(display_, static_cast<int>(escKeycode_), state, root, False, GrabModeAsync,
                     GrabModeAsync);
        }
        XSync(display_, False);
    }
    XSetErrorHandler(previous);
    escGrabbed_ = true;
}

void X11Pointer::ungrabEsc() {
    if (!escGrabbed_) {
        return;
    }
    escGrabbed_ = false;
    if (X11ConnectionLost(display_)) {
        return;
    }
    XUngrabKey(display_, static_cast<int>(escKeycode_), AnyModifier, DefaultRootWindow(display_));
    XSync(display_, False);
    // The key events the grab brought this connection: the raw ones on the key connection
    // told of them already.
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
    }
}

void X11Pointer::runStarting() {
    inRun_ = true;
    stops_.hold();
    grabEsc();
    guardianError_.clear();
    if (guardianLost_ || !buttonGuard_->hasGuardian()) {
        std::string error;
        if (buttonGuard_->restartGuardian(&error)) {
            guardianLost_ = false;
            watchedGuardianFd_ = buttonGuard_->guardianFd();
            wakeWatcher(kLookAgain);
        } else {
            guardianError_ =
                guardianStopped() + QCoreApplication::translate("PointerX11",
                                                                "（%1）。ボタンを離す見張りなしに"
                                                                "は描画しません。")
                                        .arg(QString::fromStdString(error));
        }
    }
}

void X11Pointer::setIdleFaultListener(std::function<void(const QString&)> listener) {
    const std::lock_guard lock(idleFaultMutex_);
    idleFaultListener_ = std::move(listener);
}

void X11Pointer::runEnded() {
    ungrabEsc();
    if (inRun_) {
        inRun_ = false;
        stops_.endHold();
    }
}

QString X11Pointer::runFault() {
    if (!guardianError_.isEmpty()) {
        return guardianError_;
    }
    if (guardianLost_.load(std::memory_order_relaxed)) {
        guardianLossTold_ = true;
        const std::lock_guard lock(guardianGoneMutex_);
        return guardianStopped() + QCoreApplication::translate(
                                       "PointerX11", "（%1）。描画を中止し、ボタンを離しました。")
                                       .arg(guardianGone_);
    }
    const std::optional<QString> lost = LostX11ConnectionMessage();
    if (lost) {
        connectionLossTold_ = true;
    }
    return lost.value_or(QString());
}

void X11Pointer::drainKeyEvents() {
    while (XPending(keyDisplay_) > 0) {
        XEvent event;
        XNextEvent(keyDisplay_, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != xiOpcode_ ||
            !XGetEventData(keyDisplay_, cookie)) {
            continue;
        }
        const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
        if (static_cast<unsigned>(raw->detail) == escKeycode_) {
            if (cookie->evtype == XI_RawKeyPress) {
                escLatched_ = true;
                escDown_ = true;
            } else if (cookie->evtype == XI_RawKeyRelease) {
                escDown_ = false;
            }
        }
        XFreeEventData(keyDisplay_, cookie);
    }
}

bool X11Pointer::escPressed() {
    if (inRun_) {
        if (const QString fault = runFault(); !fault.isEmpty()) {
            throw std::runtime_error(fault.toLocal8Bit().toStdString());
        }
        if (stops_.interruptedDuringHold()) {
            stopCause_ = StopCause::Suspended;
            return true;  // stopped, or about to be: the run ends first
        }
    }
    stopCause_ = StopCause::EscKey;
    if (escKeycode_ == 0) {
        return false;
    }
    if (keyDisplay_ == nullptr) {
        return keyDownInKeymap(display_, escKeycode_);
    }
    const bool latched = escLatched_.exchange(false);
    return latched || escDown_.load();
}

std::optional<bool> X11Pointer::keyHeld() {
    char keys[32] = {};
    XQueryKeymap(display_, keys);
    if (escKeycode_ != 0) {
        keys[escKeycode_ / 8] =
            static_cast<char>(keys[escKeycode_ / 8] & ~(1U << (escKeycode_ % 8)));
    }
    return std::any_of(std::begin(keys), std::end(keys), [](char bits) { return bits != 0; });
}

QPoint X11Pointer::position() {
    return queryPointer(display_).position;
}

QSize X11Pointer::primaryScreenSize() {
    const int screen = DefaultScreen(display_);
    return QSize(DisplayWidth(display_, screen), DisplayHeight(display_, screen));
}

QString X11Pointer::displayName() const {
    return X11DisplayLockName(QString::fromLocal8Bit(DisplayString(display_)));
}

bool LeftButtonIsDown(Display* display) {
    return (queryPointer(display).mask & Button1Mask) != 0;
}

bool ReleaseLeftButtonIfDown(Display* display) {
    if (!LeftButtonIsDown(display)) {
        return false;
    }
    XTestFakeButtonEvent(display, kLeftButton, False, CurrentTime);
    XSync(display, False);
    return true;
}

}  // namespace stylorex
