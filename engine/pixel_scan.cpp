#include "engine/pixel_scan.h"

#include <algorithm>
#include <limits>

namespace stylorex {

namespace {

constexpr int kMaxRows = std::numeric_limits<std::int16_t>::max();

// One pass over the picture with the classification `isLine(r, g, b)`. Every cell of the
// scanned rows is written, so the table needs no clearing beforehand; the start list is
// written without a branch per pixel (the slot after the last line pixel is overwritten
// until a line pixel claims it, and at the end becomes the terminator).
template <typename Classify>
std::int32_t scanRows(const QImage& picture, int width, int height, PixelMap& map, PixelPoint* list,
                      Classify isLine) {
    std::int32_t count = 0;
    for (int y = 0; y < height; ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        PixelCell* cells = map.row(y);
        for (int x = 0; x < width; ++x) {
            const QRgb c = pixels[x];
            const bool line = isLine(static_cast<int>((c >> 16) & 0xFF),
                                     static_cast<int>((c >> 8) & 0xFF), static_cast<int>(c & 0xFF));
            cells[x].IsLine = line;
            cells[x].Undrawn = true;
            list[count + 1] =
                PixelPoint{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)};
            count += line ? 1 : 0;
        }
        std::fill(cells + width, cells + PixelMap::kColumns, PixelCell{});
    }
    return count;
}

}  // namespace

bool IsLinePixel(const ColorParts& parts, const ExtractionSettings& settings) {
    switch (settings.PickUpPattern) {
        case 1: {
            const std::int32_t t = settings.BlackUpper;
            return parts.Red <= t && parts.Green <= t && parts.Blue <= t;
        }
        case 2: {
            const std::int32_t t = settings.WhiteUpper;
            const bool white = parts.Red >= t && parts.Green >= t && parts.Blue >= t;
            return !white;
        }
        default:
            return false;
    }
}

void PixelMap::resizeRows(int rows) {
    rows_ = rows;
    cells_.resize(static_cast<std::size_t>(rows) * kColumns);
}

void ScanPicture(const QImage& committedPicture, const ExtractionSettings& settings,
                 ScanTables& tables) {
    QImage converted;
    const QImage* picture = &committedPicture;
    if (committedPicture.format() != QImage::Format_RGB32 &&
        committedPicture.format() != QImage::Format_ARGB32) {
        converted = committedPicture.convertToFormat(QImage::Format_RGB32);
        picture = &converted;
    }
    const int width = std::clamp(picture->width(), 0, PixelMap::kColumns);
    const int height = std::clamp(picture->height(), 0, kMaxRows);

    tables.MaxX = static_cast<std::int16_t>(width - 1);
    tables.MaxY = static_cast<std::int16_t>(height - 1);
    tables.PixelMap.resizeRows(height + 1);
    std::fill(tables.PixelMap.row(height), tables.PixelMap.row(height) + PixelMap::kColumns,
              PixelCell{});

    const std::size_t entries = static_cast<std::size_t>(width) * height + 2;
    tables.StartPointList.resize(entries);
    PixelPoint* list = tables.StartPointList.data();

    std::int32_t count = 0;
    const std::int32_t black = settings.BlackUpper;
    const std::int32_t white = settings.WhiteUpper;
    switch (settings.PickUpPattern) {
        case 1:
            count = scanRows(*picture, width, height, tables.PixelMap, list,
                             [black](int r, int g, int b) {
                                 return (r <= black) & (g <= black) & (b <= black);
                             });
            break;
        case 2:
            count = scanRows(
                *picture, width, height, tables.PixelMap, list,
                [white](int r, int g, int b) { return (r < white) | (g < white) | (b < white); });
            break;
        default:
            count = scanRows(*picture, width, height, tables.PixelMap, list,
                             [](int, int, int) { return false; });
            break;
    }

    tables.StartPointCount = count;
    list[0] = PixelPoint{};
    list[count + 1] = PixelPoint{-1, 0};
    std::fill(list + count + 2, list + entries, PixelPoint{});
}

}  // namespace stylorex
