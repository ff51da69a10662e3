#include "engine/pixel_scan.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <limits>

namespace stylorex {

namespace {

// The scan writes cells as their bytes: false 0, true 1, IsLine first.
static_assert(sizeof(PixelCell) == 2 && sizeof(bool) == 1);
static_assert(offsetof(PixelCell, IsLine) == 0 && offsetof(PixelCell, Undrawn) == 1);

constexpr int kMaxRows = std::numeric_limits<std::int16_t>::max();

// Scans row by row in three simple loops the compiler can vectorise: classify the row into
// a byte mask, write the row's cells from the mask, then append the row's line pixels to the
// start list, skipping eight pixels at a time where the mask is empty. Every cell of the
// scanned rows is written, so the table needs no clearing beforehand.
template <typename Classify>
std::int32_t scanRows(const QImage& picture, int width, int height, PixelMap& map, PixelPoint* list,
                      Classify isLine) {
    // Room for the last group of eight, whose bytes past the width stay zero.
    std::array<std::uint8_t, PixelMap::kColumns + 8> mask{};
    std::array<std::uint8_t, 2 * PixelMap::kColumns> cellBytes{};
    std::int32_t count = 0;
    for (int y = 0; y < height; ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb c = pixels[x];
            mask[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(
                isLine(static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                       static_cast<int>(c & 0xFF)));
        }
        // The row's cells as bytes (IsLine, Undrawn), copied into the table in one go.
        for (int x = 0; x < width; ++x) {
            cellBytes[2 * static_cast<std::size_t>(x)] = mask[static_cast<std::size_t>(x)];
            cellBytes[2 * static_cast<std::size_t>(x) + 1] = 1;
        }
        PixelCell* cells = map.row(y);
        std::memcpy(static_cast<void*>(cells), cellBytes.data(),
                    2 * static_cast<std::size_t>(width));
        std::fill(cells + width, cells + PixelMap::kColumns, PixelCell{});

        const auto row = static_cast<std::int16_t>(y);
        for (int x0 = 0; x0 < width; x0 += 8) {
            std::uint64_t group = 0;
            std::memcpy(&group, mask.data() + x0, sizeof group);
            if (group == 0) {
                continue;
            }
            for (int i = 0; i < 8; ++i) {
                if (mask[static_cast<std::size_t>(x0 + i)] != 0) {
                    list[++count] = PixelPoint{static_cast<std::int16_t>(x0 + i), row};
                }
            }
        }
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

    const std::int32_t previousCount = tables.StartPointList.empty() ? 0 : tables.StartPointCount;
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

    // Entries past a terminator are always zero (resize zero-fills new room), so only what
    // the previous scan listed beyond this scan's terminator needs clearing.
    const std::size_t previousEnd = std::min(static_cast<std::size_t>(previousCount) + 2, entries);
    tables.StartPointCount = count;
    list[0] = PixelPoint{};
    list[count + 1] = PixelPoint{-1, 0};
    if (static_cast<std::size_t>(count) + 2 < previousEnd) {
        std::fill(list + count + 2, list + previousEnd, PixelPoint{});
    }
}

}  // namespace stylorex
