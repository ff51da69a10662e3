#pragma once

#include "tests/x11/target_program.h"

#include <QRect>
#include <QString>

typedef struct _XDisplay Display;

namespace stylorex::testing {

// The real xpaint (Debian package xpaint) on the X server in DISPLAY for as long as the object
// lives: its tool box and a new white 400 × 300 canvas at 100 %, the pencil (one pixel wide,
// black) chosen from the command line. Its settings live in a temporary HOME of its own. The
// canvas is found on the screen and checked with one press on its bottom-right pixel, which is
// left as it is (it lies outside every picture a test draws).
class XPaintTarget {
  public:
    XPaintTarget();
    ~XPaintTarget();
    XPaintTarget(const XPaintTarget&) = delete;
    XPaintTarget& operator=(const XPaintTarget&) = delete;

    // Whether xpaint runs with its canvas found and its pencil checked; why not otherwise.
    bool ready() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }
    // The image's pixels on the screen.
    QRect canvas() const { return canvas_; }

  private:
    bool start();
    bool findCanvas();
    bool checkPencil();

    TargetProgram program_;
    Display* display_ = nullptr;
    QRect canvas_;
    QString error_;
};

}  // namespace stylorex::testing
