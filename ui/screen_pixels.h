#pragma once

#include <QRect>

class QWidget;

namespace stylorex {

// A top-level window's frame in the screen's own pixels, the coordinates of the pointer and of
// the screen read back. Qt places windows in device-independent pixels: with a scale factor
// (QT_SCALE_FACTOR, a HiDPI screen) the two differ by the screen's device pixel ratio, taken
// from the screen's top-left corner, which both share.
QRect FrameInScreenPixels(const QWidget& window);

}  // namespace stylorex
