#pragma once

#include "os/screen_reader.h"

#include <QString>

#include <memory>

typedef struct _XDisplay Display;

namespace stylorex {

// The X11 screen read back from the root window, on a connection of its own. A rectangle comes
// through the shared-memory extension where the server offers it (a 600 × 480 grab costs about
// 0.1 ms that way against 8 ms through the socket); a single pixel through a plain XGetImage,
// which costs one round trip either way.
class X11Screen : public ScreenReader {
  public:
    // Null with the reason in `error` when no X display can be opened.
    static std::unique_ptr<X11Screen> open(QString* error);
    ~X11Screen() override;
    X11Screen(const X11Screen&) = delete;
    X11Screen& operator=(const X11Screen&) = delete;

    QImage grab(const QRect& rect) override;
    std::optional<QRgb> pixel(QPoint at) override;

  private:
    explicit X11Screen(Display* display);
    bool onScreen(const QRect& rect) const;
    // A shared-memory image of at least `size`, made or grown on demand; false when the server
    // does not share memory with us (a remote display), and from then on.
    bool ensureSharedImage(QSize size);
    void releaseSharedImage();

    Display* display_;
    struct Shared;
    std::unique_ptr<Shared> shared_;
    bool sharedMemoryRefused_ = false;
};

}  // namespace stylorex
