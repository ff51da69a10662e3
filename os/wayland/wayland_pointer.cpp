#include "os/wayland/wayland_pointer.h"

#include "os/wayland/sway_ipc.h"
#include "os/wayland/wayland_connection.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <thread>

#include <wayland-client.h>
#include <wlr-virtual-pointer-unstable-v1-client.h>

#include <QCoreApplication>

namespace stylorex {

namespace {

// A press sent at once after the virtual pointer was created was lost under sway: the seat
// takes the new device on a little later.
constexpr auto kDeviceSetUp = std::chrono::milliseconds(100);

// The compositor turns x / extent into a fraction of the desktop and back into a position; for
// a whole x that may come back a hair below x (on a 1920-pixel-wide desktop for 22 of the
// columns), which at a window's left or top edge lands on the pixel beside it. Sending the
// position in 1/1024 pixel, a 1/1024 pixel inside, keeps it on x; windows still see x exactly,
// since positions reach them in 1/256 pixel, rounded.
constexpr std::uint32_t kSubpixels = 1024;

// The compositor hands every move on to the window under the pointer at once and disconnects
// a window that lets about 2,500 events pile up unread: a window that read one move each 20 µs
// was disconnected after 2,862 moves sent as fast as the compositor took them (100,000 a
// second). So the events go out in batches, each no sooner than the rate below allows, and
// after each batch the compositor must have applied it, which also keeps what is in flight
// after an Esc small. A window that stops reading for 100 ms (a slow frame) then falls 1,000
// events behind; at 20,000 a second a test client pausing 50 ms a frame was still
// disconnected on a loaded machine.
constexpr int kBatch = 32;
constexpr auto kBatchTime = std::chrono::microseconds(100) * kBatch;  // 10,000 events a second

}  // namespace

WaylandPointer::WaylandPointer(std::shared_ptr<WaylandConnection> connection,
                               std::unique_ptr<SwayEscWatch> esc)
    : PointerDevice(*this, *this), connection_(std::move(connection)), esc_(std::move(esc)) {
    pointer_ = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(connection_->pointerManager(),
                                                                      connection_->seat());
    connection_->flush();
    created_ = std::chrono::steady_clock::now();
}

WaylandPointer::~WaylandPointer() {
    try {
        if (pressed_) {
            button(false);
        }
        runEnded();
        zwlr_virtual_pointer_v1_destroy(pointer_);
        // The compositor has the release before the connection closes.
        connection_->roundtrip();
    } catch (const std::runtime_error&) {
        // The compositor is gone; with it, the device and its button.
    }
}

std::uint32_t WaylandPointer::timestamp() const {
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

void WaylandPointer::waitUntilReady() {
    if (ready_) {
        return;
    }
    connection_->roundtrip();
    std::this_thread::sleep_until(created_ + kDeviceSetUp);
    ready_ = true;
    batchStart_ = std::chrono::steady_clock::now();
}

void WaylandPointer::moveTo(int x, int y) {
    waitUntilReady();
    const QRect desktop = connection_->layout();
    if (desktop.isEmpty()) {
        return;  // no output: nowhere to move to
    }
    const QPoint where(std::clamp(x, desktop.left(), desktop.right()),
                       std::clamp(y, desktop.top(), desktop.bottom()));
    zwlr_virtual_pointer_v1_motion_absolute(
        pointer_, timestamp(), static_cast<std::uint32_t>(where.x() - desktop.x()) * kSubpixels + 1,
        static_cast<std::uint32_t>(where.y() - desktop.y()) * kSubpixels + 1,
        static_cast<std::uint32_t>(desktop.width()) * kSubpixels,
        static_cast<std::uint32_t>(desktop.height()) * kSubpixels);
    zwlr_virtual_pointer_v1_frame(pointer_);
    position_ = where;
    paced();
}

void WaylandPointer::paced() {
    if (++sentInBatch_ < kBatch) {
        connection_->flush();
        return;
    }
    connection_->roundtrip();
    std::this_thread::sleep_until(batchStart_ + kBatchTime);
    sentInBatch_ = 0;
    batchStart_ = std::chrono::steady_clock::now();
}

void WaylandPointer::button(bool pressed) {
    zwlr_virtual_pointer_v1_button(
        pointer_, timestamp(), BTN_LEFT,
        pressed ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(pointer_);
    pressed_ = pressed;
}

void WaylandPointer::pressLeft(int /*x*/, int /*y*/) {
    waitUntilReady();
    button(true);
    paced();
}

void WaylandPointer::releaseLeft(int /*x*/, int /*y*/) {
    waitUntilReady();
    button(false);
    paced();
    connection_->roundtrip();
}

bool WaylandPointer::escPressed() {
    if (inRun_ && stops_.interruptedDuringHold()) {
        stopCause_ = StopCause::Suspended;
        return true;
    }
    stopCause_ = StopCause::EscKey;
    return esc_ != nullptr && esc_->pressed();
}

QPoint WaylandPointer::position() {
    return position_;
}

QString WaylandPointer::whyPositionUnreadable() const {
    return QCoreApplication::translate("WaylandPointer",
                                       "Wayland ではマウスポインタの位置を読めません。");
}

QSize WaylandPointer::primaryScreenSize() {
    return connection_->layout().size();
}

QString WaylandPointer::displayName() const {
    return WaylandDisplayName();
}

bool WaylandPointer::canWatchEsc() const {
    return esc_ != nullptr;
}

QString WaylandPointer::whyEscCannotStop() const {
    if (canWatchEsc()) {
        return {};
    }
    return QCoreApplication::translate(
        "WaylandPointer",
        "この Wayland コンポジタでは Esc キーを監視できないため、描画を Esc で止めることは"
        "できません（Esc で止められるのは X11 セッションと sway です）。");
}

void WaylandPointer::runStarting() {
    inRun_ = true;
    stops_.hold();
    if (esc_ != nullptr && !esc_->start()) {
        std::fprintf(stderr,
                     "Stylorex: sway did not take the Esc binding; Esc cannot stop this run\n");
    }
}

void WaylandPointer::runEnded() {
    if (esc_ != nullptr) {
        esc_->stop();
    }
    if (inRun_) {
        inRun_ = false;
        stops_.endHold();
    }
}

}  // namespace stylorex
