#pragma once

#include "tests/x11/target_program.h"

#include <QRect>
#include <QString>

typedef struct _XDisplay Display;

namespace stylorex::testing {

// The real GTK paint program of Debian's package drawing on the X server in DISPLAY for as long
// as the object lives: a new white 400 × 300 image at 100 %, its pencil `pencil` pixels wide in
// black, antialiased, as its settings (kept in a temporary HOME of its own) say before it starts.
// Its own D-Bus session goes with it. The canvas is found on the screen; nothing is drawn on it.
class DrawingProgramTarget {
  public:
    explicit DrawingProgramTarget(int pencil = 1);
    ~DrawingProgramTarget();
    DrawingProgramTarget(const DrawingProgramTarget&) = delete;
    DrawingProgramTarget& operator=(const DrawingProgramTarget&) = delete;

    // Whether the program runs with its canvas found; why not otherwise.
    bool ready() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }
    // The image's pixels on the screen.
    QRect canvas() const { return canvas_; }

  private:
    bool start(int pencil);

    TargetProgram program_;
    Display* display_ = nullptr;
    QRect canvas_;
    QString error_;
};

}  // namespace stylorex::testing
