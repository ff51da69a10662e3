#pragma once

#include "os/point_picker.h"

#include <QPoint>
#include <QString>

#include <functional>
#include <optional>

namespace stylorex {

// The point pick of desktops whose compositor tells where the pointer stands, though not to a
// plain client: the point is where the pointer stands when the command comes, as on X11 (the
// user points at the target while Stylorex's window keeps the keyboard). `read` asks the
// compositor; `failure` says, in words for the user, what to do when it does not answer.
class PointerReadPicker : public PointPicker {
  public:
    PointerReadPicker(std::function<std::optional<QPoint>()> read, QString failure)
        : read_(std::move(read)), failure_(std::move(failure)) {}
    bool pick(Done done) override {
        const std::optional<QPoint> at = read_();
        done(Result{at, at ? QString() : failure_});
        return true;
    }

  private:
    std::function<std::optional<QPoint>()> read_;
    QString failure_;
};

}  // namespace stylorex
