#pragma once

#include "os/screen_reader.h"

#include <cstddef>
#include <memory>

struct wl_shm_pool;

namespace stylorex {

class WaylandConnection;

// The screen read back through the screencopy protocol (wlroots compositors): each read is a
// copy of a region of one output into a shared-memory buffer of ours. The compositor copies
// when it next renders that output, so one read, of a pixel or a rectangle, costs up to one
// frame of the output (docs/performance.md).
class WaylandScreenReader : public ScreenReader {
  public:
    explicit WaylandScreenReader(std::shared_ptr<WaylandConnection> connection);
    ~WaylandScreenReader() override;
    WaylandScreenReader(const WaylandScreenReader&) = delete;
    WaylandScreenReader& operator=(const WaylandScreenReader&) = delete;

    // Null also when `rect` spans more than one output.
    QImage grab(const QRect& rect) override;
    std::optional<QRgb> pixel(QPoint at) override;

  private:
    // Shared memory of at least `size` bytes, kept for the next reads.
    bool reserve(std::size_t size);
    QImage capture(const QRect& rect);

    std::shared_ptr<WaylandConnection> connection_;
    int fd_ = -1;
    void* memory_ = nullptr;
    std::size_t size_ = 0;
    wl_shm_pool* pool_ = nullptr;
};

}  // namespace stylorex
