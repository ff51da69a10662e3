#pragma once

#include "common/colour.h"
#include "common/setting_limits.h"

#include <QImage>
#include <QRect>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace stylorex {

// Which pixels the scan takes as line pixels. Each channel is compared on its own; no grey
// value is computed.
struct ExtractionSettings {
    // 1: dark pixels, all three channels at or below BlackUpper.
    // 2: every pixel that is not white, white being all three channels at or above WhiteUpper.
    // Any other value extracts nothing.
    std::int32_t PickUpPattern = kDefaultPickUpPattern;
    std::int32_t BlackUpper = kDefaultBlackUpper;
    std::int32_t WhiteUpper = kDefaultWhiteUpper;
};

// True when a pixel of these parts is a line pixel under `settings`.
bool IsLinePixel(const ColorParts& parts, const ExtractionSettings& settings);

struct PixelCell {
    bool IsLine = false;
    // Set by the scan for every pixel it reads; the run clears it when the pointer visits.
    bool Undrawn = false;
};

struct PixelPoint {
    std::int16_t X = 0;
    std::int16_t Y = 0;

    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// The per-pixel table: 601 columns (x 0..600, the widest canvas and one more) whatever the
// picture's width, and H + 1 rows. Cells outside the scanned picture hold false in both flags.
class PixelMap {
  public:
    static constexpr int kColumns = kLargestCanvasWidth + 1;

    int columns() const { return kColumns; }
    int rows() const { return rows_; }

    // x in 0..600, y in 0..rows()-1; nothing is checked.
    PixelCell& operator()(int x, int y) {
        return cells_[static_cast<std::size_t>(y) * kColumns + x];
    }
    const PixelCell& operator()(int x, int y) const {
        return cells_[static_cast<std::size_t>(y) * kColumns + x];
    }
    PixelCell& operator()(PixelPoint p) { return (*this)(p.X, p.Y); }
    const PixelCell& operator()(PixelPoint p) const { return (*this)(p.X, p.Y); }

    // Gives the table `rows` rows; cell contents are left to the caller (the scan writes
    // every cell).
    void resizeRows(int rows);
    PixelCell* row(int y) { return cells_.data() + static_cast<std::size_t>(y) * kColumns; }

  private:
    int rows_ = 0;
    std::vector<PixelCell> cells_;
};

// Everything a scan builds; a run reads it and clears Undrawn of the pixels it visits.
struct ScanTables {
    stylorex::PixelMap PixelMap;
    // Index 0 unused; entries 1..StartPointCount are the line pixels in raster order; the
    // entry after the last has X = -1 and ends the list. W*H + 2 entries, the rest zero.
    std::vector<PixelPoint> StartPointList;
    std::int32_t StartPointCount = 0;
    std::int16_t MaxX = -1;
    std::int16_t MaxY = -1;
};

// Rebuilds `tables` from `committedPicture` (the canvas's persistent image after the commit).
// A picture wider than the table's 601 columns is scanned over its first 601 columns only,
// and over its first 32767 rows at most, so every coordinate fits the 16-bit points.
void ScanPicture(const QImage& committedPicture, const ExtractionSettings& settings,
                 ScanTables& tables);

// The smallest rectangle holding every line pixel of `tables` still undrawn, in picture
// coordinates: what a run over them touches. Empty when there is none.
QRect UndrawnLinePixelBounds(const ScanTables& tables);

}  // namespace stylorex
