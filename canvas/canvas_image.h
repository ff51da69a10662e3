#pragma once

#include "common/setting_limits.h"

#include <QImage>
#include <QSize>

namespace stylorex {

// Pictures on the canvas keep 96 dots per inch, so font point sizes come out as on screen.
// An all-white image of that size in the canvas's pixel format (32-bit RGB).
QImage MakeCanvasImage(int width, int height);

// `picture` in the canvas's pixel format and resolution (null stays null), laid over white where
// it has an alpha channel: a transparent pixel is background. Every picture that enters the
// canvas (a file, the clipboard, a dropped file, a stored pattern, the command line's picture)
// comes through here.
QImage CanvasPicture(const QImage& picture);

// What the canvas shows of `background` at `size` before anything is drawn: the background at
// (0, 0) at its own size over white, never scaled (all white for a null background).
QImage ComposedCanvas(const QImage& background, QSize size);

}  // namespace stylorex
