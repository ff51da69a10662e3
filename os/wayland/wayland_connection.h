#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct wl_display;
struct wl_output;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct zwlr_screencopy_manager_v1;
struct zwlr_virtual_pointer_manager_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

namespace stylorex {

// One connection to the Wayland compositor named by WAYLAND_DISPLAY with the globals the
// backend uses, shared by the pointer and the screen reader of one session. Used from one
// thread. Every call that talks to the compositor throws std::runtime_error once the
// connection is lost.
class WaylandConnection {
  public:
    enum class Failure { None, Unreachable, NoVirtualPointer };

    struct Output {
        wl_output* output = nullptr;
        zxdg_output_v1* xdgOutput = nullptr;
        std::uint32_t name = 0;
        // From wl_output: the position in the layout, the current mode in device pixels, the
        // scale. From xdg-output, where the compositor offers it: the logical rectangle,
        // which also accounts for rotation and fractional scales.
        QPoint position;
        QSize mode;
        int scale = 1;
        QRect logical;

        QRect rect() const;
    };

    // Null, with the reason in `failure`, when the compositor cannot be reached or offers no
    // virtual pointer.
    static std::shared_ptr<WaylandConnection> open(Failure* failure);
    // The same, whichever protocols the compositor offers for the pointer: null only when it
    // cannot be reached.
    static std::shared_ptr<WaylandConnection> connect();
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    wl_display* display() const { return display_; }
    wl_seat* seat() const { return seat_; }
    wl_shm* shm() const { return shm_; }
    zwlr_virtual_pointer_manager_v1* pointerManager() const { return pointerManager_; }
    zwlr_screencopy_manager_v1* screencopyManager() const { return screencopyManager_; }

    // The bounding box of every output in layout coordinates: the desktop that the pointer's
    // absolute moves span. Empty while the compositor has no output.
    QRect layout() const;
    // The output that holds all of `rect`, or null.
    const Output* outputHolding(const QRect& rect) const;

    // Sends every queued request. When the compositor falls behind and the socket is full, it
    // waits for room (poll) instead of spinning.
    void flush();
    // Returns once the compositor has handled every request sent before.
    void roundtrip();
    // Dispatches events until `done` holds; false when `limit` passed first.
    bool dispatchUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

  private:
    explicit WaylandConnection(wl_display* display);
    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version);
    static void globalRemove(void* data, wl_registry* registry, std::uint32_t name);
    void watchOutput(Output& output);

    wl_display* display_;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    wl_shm* shm_ = nullptr;
    zwlr_virtual_pointer_manager_v1* pointerManager_ = nullptr;
    zwlr_screencopy_manager_v1* screencopyManager_ = nullptr;
    zxdg_output_manager_v1* xdgOutputManager_ = nullptr;
    // Stable addresses: the listeners of each output hold a pointer to its entry.
    std::vector<std::unique_ptr<Output>> outputs_;
};

// The run lock's name for the compositor named by WAYLAND_DISPLAY (PointerDevice::displayName),
// whichever backend drives its pointer.
QString WaylandDisplayName();

}  // namespace stylorex
