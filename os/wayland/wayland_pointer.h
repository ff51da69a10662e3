#pragma once

#include "os/pointer_device.h"
#include "os/stop_signals.h"

#include <QPoint>
#include <QSize>

#include <chrono>
#include <memory>

struct zwlr_virtual_pointer_v1;

namespace stylorex {

class SwayEscWatch;
class WaylandConnection;

// The Wayland backend for compositors that offer the virtual-pointer protocol (those built on
// wlroots, such as sway). One virtual pointer for the whole session: moves are absolute over
// the desktop of all outputs, each followed by a frame; buttons are BTN_LEFT.
//
// The compositor hands the moves on to the window under the pointer at once and disconnects a
// window whose events pile up unread, so the events are paced (see paced()). A Wayland client
// cannot read the pointer, so the position is the last one this backend set. Esc is watched
// only under sway, through its IPC socket, and only while a run lasts.
class WaylandPointer : public PointerDevice, public StopWatch, public PointerLimits {
  public:
    // `esc` may be null: Esc cannot be watched then.
    WaylandPointer(std::shared_ptr<WaylandConnection> connection,
                   std::unique_ptr<SwayEscWatch> esc);
    ~WaylandPointer() override;
    WaylandPointer(const WaylandPointer&) = delete;
    WaylandPointer& operator=(const WaylandPointer&) = delete;

    void moveTo(int x, int y) override;
    void pressLeft(int x, int y) override;
    // Returns once the compositor has applied the release.
    void releaseLeft(int x, int y) override;
    bool escPressed() override;
    StopCause stopCause() const override { return stopCause_; }
    // The last position a move put the pointer on: the user's mouse may have moved it since.
    QPoint position() override;
    bool canReadPosition() const override { return false; }
    QString whyPositionUnreadable() const override;
    // The size of the desktop that all outputs span.
    QSize primaryScreenSize() override;
    // The compositor's socket as WAYLAND_DISPLAY names it.
    QString displayName() const override;
    bool canWatchEsc() const override;
    QString whyEscCannotStop() const override;
    void runStarting() override;
    void runEnded() override;

  private:
    // Holds back the first event until the compositor has had time to set the new device up.
    void waitUntilReady();
    void button(bool pressed);
    // Sends what is queued, at a pace the window under the pointer can follow.
    void paced();
    std::uint32_t timestamp() const;

    std::shared_ptr<WaylandConnection> connection_;
    std::unique_ptr<SwayEscWatch> esc_;
    zwlr_virtual_pointer_v1* pointer_ = nullptr;
    std::chrono::steady_clock::time_point created_;
    bool ready_ = false;
    bool pressed_ = false;
    int sentInBatch_ = 0;
    std::chrono::steady_clock::time_point batchStart_;
    QPoint position_{0, 0};
    // A stop signal during a run ends it (the button released) before the process stops.
    StopSignals stops_;
    bool inRun_ = false;
    StopCause stopCause_ = StopCause::EscKey;
};

}  // namespace stylorex
