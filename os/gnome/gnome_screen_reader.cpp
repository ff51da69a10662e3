#include "os/gnome/gnome_screen_reader.h"

#include "os/gnome/pipewire_capture.h"

#include <chrono>

namespace stylorex {

namespace {

// Mutter renders a change at the monitor's next refresh and casts it at most once a refresh:
// on an idle machine a change reaches the stream within two refreshes (33 ms at 60 Hz); with
// both cores busy, a check whose reads ended 130 ms after the run still missed the last ink.
constexpr std::chrono::milliseconds kQuiet(100);
// A busy screen (a video) is never quiet.
constexpr std::chrono::milliseconds kLimit(200);

}  // namespace

GnomeScreenReader::GnomeScreenReader(std::shared_ptr<PipeWireCapture> capture, QRect monitor)
    : capture_(std::move(capture)), monitor_(monitor) {}

QImage GnomeScreenReader::grab(const QRect& rect) {
    if (rect.isEmpty() || !monitor_.contains(rect)) {
        return QImage();
    }
    return capture_->frame(rect.translated(-monitor_.topLeft()), kQuiet, kLimit);
}

std::optional<QRgb> GnomeScreenReader::pixel(QPoint at) {
    if (!monitor_.contains(at)) {
        return std::nullopt;
    }
    const QImage one = capture_->frame(QRect(at - monitor_.topLeft(), QSize(1, 1)),
                                       std::chrono::milliseconds(0), kLimit);
    if (one.isNull()) {
        return std::nullopt;
    }
    return one.pixel(0, 0) | 0xff000000u;
}

}  // namespace stylorex
