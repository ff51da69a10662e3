#pragma once

#include <QImage>
#include <QRgb>

#include <cstdint>
#include <vector>

namespace stylorex {

// How a colour picture is brought down to a few inks.
enum class Dithering {
    Nearest,         // each pixel takes its nearest colour
    Ordered,         // a 4 × 4 threshold pattern mixes neighbouring colours
    ErrorDiffusion,  // Floyd–Steinberg: each pixel's error is passed on to the ones after it
};

// The target's colours: the inks its swatches give, in the palette's order, and the colour of its
// canvas, which is never drawn.
struct InkColours {
    std::vector<QRgb> inks;
    QRgb background = qRgb(255, 255, 255);
};

// A picture brought down to the inks: for each pixel the index of its ink, or kBackground.
struct ReducedPicture {
    static constexpr std::int8_t kBackground = -1;

    int width = 0;
    int height = 0;
    std::vector<std::int8_t> ink;  // row by row

    std::int8_t at(int x, int y) const { return ink[static_cast<std::size_t>(y) * width + x]; }
    // How many pixels each ink has (the background's are not counted).
    std::vector<std::int32_t> counts(std::size_t inks) const;
    // The picture in the inks' colours over the background colour: what a run into the target
    // leaves there.
    QImage image(const InkColours& colours) const;
    // Black where `index` is, white elsewhere: the picture the one-ink scan takes for that ink.
    QImage mask(int index) const;
};

// Each pixel of `picture` (the committed canvas, opaque) goes to its nearest colour among the
// inks and the background, nearest in the OKLab space, where equal distances look equally
// different. Of two colours equally near, the background wins over an ink and an earlier ink
// over a later one. At most 127 inks.
ReducedPicture ReduceToInks(const QImage& picture, const InkColours& colours, Dithering dithering);

// Perceptual lightness of a colour in OKLab, 0 (black) to 1 (white).
double Lightness(QRgb colour);

}  // namespace stylorex
