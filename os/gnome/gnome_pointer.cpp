#include "os/gnome/gnome_pointer.h"

#include "os/gnome/pipewire_capture.h"
#include "os/gnome/remote_input.h"
#include "os/wayland/wayland_connection.h"

#include <algorithm>
#include <stdexcept>

namespace stylorex {

namespace {

// Mutter dropped the moves of the first 200 to 450 ms of a new session here (2 to 4 tries).
constexpr int kReadyTries = 20;
constexpr std::chrono::milliseconds kReadyWait(100);

}  // namespace

GnomePointer::GnomePointer(std::shared_ptr<RemoteInput> input,
                           std::shared_ptr<PipeWireCapture> capture)
    : PointerDevice(*this, *this), input_(std::move(input)), capture_(std::move(capture)) {
    const QPoint monitor = input_->monitor().topLeft();
    capture_->setCursorReport([this, monitor](QPoint at) { stop_.moves().reported(at + monitor); });
}

GnomePointer::~GnomePointer() {
    capture_->setCursorReport({});
    try {
        if (pressed_) {
            button(false);
        }
    } catch (const std::runtime_error&) {
        // The session has ended, and with it its button.
    }
    runEnded();
}

void GnomePointer::waitUntilReady(QPoint first) {
    // Mutter answers the first moves of a new session before its pointer device is there and
    // drops them: a move counts once the screen cast shows the pointer where it was sent.
    const QPoint local = first - input_->monitor().topLeft();
    for (int tries = 0; tries < kReadyTries && !ready_; ++tries) {
        input_->motion(local);
        ready_ = capture_->waitForCursor(local, kReadyWait);
    }
    // Without a cast that shows the pointer, only the wait is left.
    ready_ = true;
}

void GnomePointer::moveTo(int x, int y) {
    const QRect monitor = input_->monitor();
    const QPoint where(std::clamp(x, monitor.left(), monitor.right()),
                       std::clamp(y, monitor.top(), monitor.bottom()));
    stop_.moves().moved(where);
    if (!ready_) {
        waitUntilReady(where);
    }
    input_->motion(where - monitor.topLeft());
    position_ = where;
}

void GnomePointer::button(bool pressed) {
    input_->button(pressed);
    pressed_ = pressed;
}

void GnomePointer::pressLeft(int /*x*/, int /*y*/) {
    button(true);
}

void GnomePointer::releaseLeft(int /*x*/, int /*y*/) {
    button(false);
}

bool GnomePointer::escPressed() {
    return stop_.take();
}

QPoint GnomePointer::position() {
    return position_;
}

QSize GnomePointer::primaryScreenSize() {
    return input_->monitor().size();
}

QString GnomePointer::displayName() const {
    return WaylandDisplayName();
}

QString GnomePointer::whyEscCannotStop() const {
    return EscUnseenElsewhereText();
}

QString GnomePointer::stopAdvice() const {
    return StopByMovingThePointerText();
}

void GnomePointer::runStarting() {
    stop_.runStarting();
}

void GnomePointer::runEnded() {
    stop_.runEnded();
}

}  // namespace stylorex
