#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include <cstddef>

namespace stylorex::testing {

// What a run left on the screen against its picture's line pixels: `before` and `after` are an
// area read before the run and once the screen stood still after it, the picture's top-left
// pixel at `at` in it (a margin around it shows ink strayed outside). A pixel is changed when it
// differs at all; it holds ink when it turned at least kInkStep darker in grey (fainter
// antialiasing grey is not ink a user sees as a line).
struct InkComparison {
    static constexpr int kInkStep = 48;
    std::size_t linePixels = 0;
    std::size_t missing = 0;  // line pixels left unchanged
    std::size_t extra = 0;    // other pixels changed
    // Line pixels with ink within `reach` px (1: the 3 x 3 block around them), out of all.
    double coverage = 0;
    // Ink farther than `reach` px from every line pixel.
    std::size_t far = 0;
};
InkComparison CompareInk(const QImage& picture, QPoint at, const QImage& before,
                         const QImage& after, int reach = 1);

// `area` read from the screen once it has stood still (the same three reads 100 ms apart),
// within `ms`.
QImage SettledScreen(const QRect& area, int ms = 5000);

}  // namespace stylorex::testing
