#pragma once

#include "os/screen_reader.h"

#include <QRect>

#include <memory>

namespace stylorex {

class PipeWireCapture;

// The screen read back from the remote desktop session's screen cast: the monitor's latest
// frame. A rectangle is read once the stream has been quiet for a while, so that what changed
// just before has arrived (docs/performance.md); a pixel is read from the latest frame at
// once, as the follow mode asks again until the ink shows.
class GnomeScreenReader : public ScreenReader {
  public:
    // `monitor`: the recorded monitor in desktop pixels.
    GnomeScreenReader(std::shared_ptr<PipeWireCapture> capture, QRect monitor);

    // Null also when `rect` leaves the recorded monitor.
    QImage grab(const QRect& rect) override;
    std::optional<QRgb> pixel(QPoint at) override;

  private:
    std::shared_ptr<PipeWireCapture> capture_;
    QRect monitor_;
};

}  // namespace stylorex
