#pragma once

#include "tests/x11/target_program.h"

#include <QRect>
#include <QRgb>
#include <QString>

#include <sys/types.h>

typedef struct _XDisplay Display;

namespace stylorex::testing {

// The real mtPaint (Debian package mtpaint) on the X server in DISPLAY for as long as the object
// lives: a new 640 × 480 image at 100 %, the paint tool with its 1-pixel brush, its window's
// top-left corner asked for at `windowX`, `windowY`. Its settings live in a temporary HOME of
// its own, so a user's are never read nor written. The canvas is found on the screen, read back
// (a window manager decides where the window really goes), and checked with one press on its
// bottom-right pixel, which is then undone.
class MtPaintTarget {
  public:
    explicit MtPaintTarget(int windowX = 0, int windowY = 0);
    ~MtPaintTarget();
    MtPaintTarget(const MtPaintTarget&) = delete;
    MtPaintTarget& operator=(const MtPaintTarget&) = delete;

    // Whether mtPaint runs with its canvas found and its brush checked; why not otherwise.
    bool ready() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }
    // The image's pixels on the screen.
    QRect canvas() const { return canvas_; }
    // The colour the paint tool inks with (the canvas is black).
    QRgb ink() const { return ink_; }
    pid_t pid() const { return program_.pid(); }

  private:
    bool start(int windowX, int windowY);
    bool findCanvas();
    bool checkBrush();

    TargetProgram program_;
    Display* display_ = nullptr;
    unsigned long window_ = 0;
    QRect canvas_;
    QRgb ink_ = 0;
    QString error_;
};

}  // namespace stylorex::testing
