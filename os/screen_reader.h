#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRgb>

#include <optional>

namespace stylorex {

// The screen as the user sees it, read back: how a run learns what the target really drew.
// Coordinates are screen pixels of the whole desktop, as the pointer's.
class ScreenReader {
  public:
    virtual ~ScreenReader() = default;

    // The pixels of `rect` as an RGB32 image of its size; a null image when the rectangle is
    // empty, leaves the screen, or cannot be read.
    virtual QImage grab(const QRect& rect) = 0;
    // One pixel, cheaply (the follow mode asks after every move); nothing when it lies off the
    // screen or cannot be read. Alpha is always 255.
    virtual std::optional<QRgb> pixel(QPoint at) = 0;
};

}  // namespace stylorex
