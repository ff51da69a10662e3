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

// `rgb` faded to a quarter of its contrast over white, as a picture stands behind the marks shown
// over it (the extraction preview's line pixels, a plan's strokes): still recognisable, white
// stays white, and no two channels end further apart than 63.
constexpr QRgb FadedColour(QRgb rgb) {
    return qRgb(255 - (255 - qRed(rgb)) / 4, 255 - (255 - qGreen(rgb)) / 4,
                255 - (255 - qBlue(rgb)) / 4);
}

}  // namespace stylorex
