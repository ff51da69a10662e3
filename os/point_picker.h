#pragma once

#include "os/pointer_device.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>

namespace stylorex {

// How the origin capture (Ctrl+G) learns the point the user means: where the pointer stands
// when the command comes, where the pointer can be read (X11); a point the user clicks on the
// screen, where it cannot (Wayland). Each session brings its own (os/system_session.h).
class PointPicker {
  public:
    struct Result {
        // In desktop pixels; none when the user cancelled or the pick failed.
        std::optional<QPoint> point;
        // Why no pick could be made, in words for the user; empty when the user chose a point
        // or cancelled.
        QString error;
        // The rectangle the user dragged, in desktop pixels, where the pick lets the user drag
        // one; `point` is then its top-left corner. None for a point.
        std::optional<QRect> area{};
    };
    using Done = std::function<void(const Result&)>;

    virtual ~PointPicker() = default;
    // Starts a pick without waiting for it: `done` runs once, later from the event loop or before
    // the call returns. False, and `done` never runs, while an earlier pick is still open.
    virtual bool pick(Done done) = 0;
};

// Where the pointer stands now, answered before pick() returns.
class PointerPositionPicker : public PointPicker {
  public:
    explicit PointerPositionPicker(PointerDevice& pointer) : pointer_(pointer) {}
    bool pick(Done done) override;

  private:
    PointerDevice& pointer_;
};

}  // namespace stylorex
