#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

namespace stylorex {

// How a picture is scaled to a new size.
//  - LineArt: no colour is mixed and no thin line is lost. Each pixel of the result takes the
//    darkest pixel of the block of the picture it covers; enlarged, that is the nearest pixel.
//    Line pixels stay line pixels and the white stays white.
//  - Smooth: colours are averaged, for photos; edges gain shades in between.
enum class PictureScaling { LineArt, Smooth };

// The largest size with the aspect of `picture` that fits in `box`, in whole pixels, at least
// 1 × 1. Larger or smaller than `picture`, as the box asks.
QSize FittedSize(QSize picture, QSize box);

// `picture` at `size` (any aspect), in the canvas's pixel format.
QImage ScalePicture(const QImage& picture, QSize size, PictureScaling scaling);

// `picture` as it is when it fits within `limit`, else scaled down to the largest size that fits,
// keeping its aspect. The window's "画像に合わせて読み込む" and the command line's --fit make a
// large picture fit the largest canvas this way.
QImage FitPictureWithin(const QImage& picture, QSize limit, PictureScaling scaling);

// A picture file's picture on a canvas of its own size, as "画像に合わせて読み込む" and the
// command line load it.
enum class CanvasFit {
    Whole,   // as it is; refused when larger than the largest canvas
    Crop,    // its top-left part where it is larger than the largest canvas
    Shrink,  // scaled down to fit the largest canvas where it is larger (FitPictureWithin)
};
struct PictureOnCanvas {
    // The background as the canvas holds it (CanvasPicture) and the canvas's size; both null and
    // empty when the picture is too large for CanvasFit::Whole.
    QImage background;
    QSize size;
    // Scaled down (CanvasFit::Shrink) or cut (CanvasFit::Crop) to the largest canvas.
    bool shrunk = false;
    bool cropped = false;
    bool tooLarge() const { return background.isNull(); }
};
PictureOnCanvas PictureOnOwnCanvas(const QImage& picture, CanvasFit fit, PictureScaling scaling);

// What a fit that scaled a picture down did, in the user's words: "画像を 600×429 に縮小しました
// （元の大きさ 700×500）".
QString ShrunkPictureText(QSize shrunk, QSize original);

// The smallest rectangle around the pixels of `image` that are not pure white; null when every
// pixel is white.
QRect NonWhiteBounds(const QImage& image);

}  // namespace stylorex
