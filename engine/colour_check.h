#pragma once

#include "engine/run_check.h"

#include <QImage>
#include <QPoint>
#include <QRgb>

#include <cstdint>
#include <vector>

namespace stylorex {

// How far a pixel read back may lie from an ink and still show it: on each channel. A paint
// program's ink on the screen is the swatch's colour or very near it.
inline constexpr int kInkTolerance = 24;

// Whether `shown` shows `ink`, within kInkTolerance.
bool ShowsInk(QRgb shown, QRgb ink);

// What a colour run left in its target rectangle (`before` and `after`, at `topLeft` on the
// screen), against what it was to draw: `expected` holds, row by row over the rectangle, the index
// into `inks` of each pixel's ink, or -1 where nothing is drawn. A pixel of an ink is in place
// when it shows that ink: changed to it, or unchanged and showing it already. Otherwise it is
// missing, and when it changed, extra as well, for the ink nearest to what it shows (a pixel in
// another ink is missing and extra); a changed pixel where nothing is drawn is extra. The tally
// per ink follows `inks`. Nothing changed while pixels were to be drawn: NothingChanged.
RunCheck CompareColours(const QImage& before, const QImage& after,
                        const std::vector<std::int8_t>& expected, const std::vector<QRgb>& inks,
                        QPoint topLeft);

}  // namespace stylorex
