#include "engine/pixel_scan.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace stylorex {

namespace {

// The scan writes cells as their bytes: false 0, true 1, IsLine first.
static_assert(sizeof(PixelCell) == 2 && sizeof(bool) == 1);
static_assert(offsetof(PixelCell, IsLine) == 0 && offsetof(PixelCell, Undrawn) == 1);

constexpr int kMaxRows = std::numeric_limits<std::int16_t>::max();

// What a row scan needs to know of the mode: for 1 and 2 the threshold clamped to a byte,
// since every channel lies in 0..255; any other mode takes no pixel.
struct RowRule {
    enum Kind { Dark, NotWhite, Nothing } kind = Nothing;
    int threshold = 0;

    bool isLine(QRgb c) const {
        const int r = static_cast<int>((c >> 16) & 0xFF);
        const int g = static_cast<int>((c >> 8) & 0xFF);
        const int b = static_cast<int>(c & 0xFF);
        switch (kind) {
            case Dark:
                return r <= threshold && g <= threshold && b <= threshold;
            case NotWhite:
                return r < threshold || g < threshold || b < threshold;
            default:
                return false;
        }
    }
};

RowRule ruleFor(const ExtractionSettings& settings) {
    RowRule rule;
    if (settings.PickUpPattern == 1) {
        // Below 0 no pixel is dark enough; from 255 on every pixel is.
        rule.kind = settings.BlackUpper < 0 ? RowRule::Nothing : RowRule::Dark;
        rule.threshold = std::min(settings.BlackUpper, 255);
    } else if (settings.PickUpPattern == 2) {
        // At or below 0 every pixel is white; above 255 none is.
        rule.kind = settings.WhiteUpper <= 0 ? RowRule::Nothing : RowRule::NotWhite;
        rule.threshold = std::min(settings.WhiteUpper, 256);
    }
    return rule;
}

// Scans one row: writes its cells (bytes IsLine, Undrawn) to `cellBytes` and appends its
// line pixels to the list after `count`. Returns the new count.
class RowScanner {
  public:
    explicit RowScanner(const RowRule& rule) : rule_(rule) {}

    std::int32_t scan(const QRgb* pixels, int width, std::int16_t y, std::uint8_t* cellBytes,
                      PixelPoint* list, std::int32_t count) const {
        int x = 0;
#if defined(__SSE2__)
        if (rule_.kind != RowRule::Nothing && rule_.threshold <= 255) {
            x = scanSse2(pixels, width, y, cellBytes, list, count);
        }
#endif
        for (; x < width; ++x) {
            const bool line = rule_.isLine(pixels[x]);
            cellBytes[2 * x] = line ? 1 : 0;
            cellBytes[2 * x + 1] = 1;
            if (line) {
                list[++count] = PixelPoint{static_cast<std::int16_t>(x), y};
            }
        }
        return count;
    }

  private:
#if defined(__SSE2__)
    // Sixteen pixels at a time; returns the first column it left for the scalar loop.
    int scanSse2(const QRgb* pixels, int width, std::int16_t y, std::uint8_t* cellBytes,
                 PixelPoint* list, std::int32_t& count) const {
        const __m128i threshold = _mm_set1_epi8(static_cast<char>(rule_.threshold));
        const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000U));
        const __m128i allOnes = _mm_set1_epi32(-1);
        const __m128i one = _mm_set1_epi8(1);
        const __m128i columnStep = _mm_set_epi32(3, 2, 1, 0);
        const bool dark = rule_.kind == RowRule::Dark;
        // Per pixel: -1 when all three colour bytes pass the byte test, else 0.
        auto allChannels = [&](__m128i quad) {
            const __m128i passes =
                dark ? _mm_cmpeq_epi8(_mm_max_epu8(quad, threshold), threshold)  // c <= t
                     : _mm_cmpeq_epi8(_mm_max_epu8(quad, threshold), quad);      // c >= t
            return _mm_cmpeq_epi32(_mm_or_si128(passes, alpha), allOnes);
        };
        int x = 0;
        for (; x + 16 <= width; x += 16) {
            const auto* at = reinterpret_cast<const __m128i*>(pixels + x);
            __m128i p0 = allChannels(_mm_loadu_si128(at));
            __m128i p1 = allChannels(_mm_loadu_si128(at + 1));
            __m128i p2 = allChannels(_mm_loadu_si128(at + 2));
            __m128i p3 = allChannels(_mm_loadu_si128(at + 3));
            __m128i bytes = _mm_packs_epi16(_mm_packs_epi32(p0, p1), _mm_packs_epi32(p2, p3));
            if (!dark) {
                bytes = _mm_xor_si128(bytes, allOnes);  // not white
            }
            const __m128i flags = _mm_and_si128(bytes, one);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(cellBytes + 2 * x),
                             _mm_unpacklo_epi8(flags, one));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(cellBytes + 2 * x + 16),
                             _mm_unpackhi_epi8(flags, one));

            unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(bytes));
            if (bits == 0xFFFFU) {
                // A run of sixteen: four stores of (x + i, y) pairs.
                __m128i point = _mm_or_si128(
                    _mm_add_epi32(_mm_set1_epi32(x), columnStep),
                    _mm_set1_epi32(static_cast<int>(
                        static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16)));
                auto* out = reinterpret_cast<__m128i*>(list + count + 1);
                for (int i = 0; i < 4; ++i) {
                    _mm_storeu_si128(out + i, point);
                    point = _mm_add_epi32(point, _mm_set1_epi32(4));
                }
                count += 16;
                continue;
            }
            while (bits != 0) {
                const int i = __builtin_ctz(bits);
                list[++count] = PixelPoint{static_cast<std::int16_t>(x + i), y};
                bits &= bits - 1;
            }
        }
        return x;
    }
#endif

    RowRule rule_;
};

// Every cell of the scanned rows is written, so the table needs no clearing beforehand.
std::int32_t scanRows(const QImage& picture, int width, int height, PixelMap& map, PixelPoint* list,
                      const RowRule& rule) {
    const RowScanner scanner(rule);
    std::array<std::uint8_t, 2 * PixelMap::kColumns> cellBytes{};
    std::int32_t count = 0;
    for (int y = 0; y < height; ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        count = scanner.scan(pixels, width, static_cast<std::int16_t>(y), cellBytes.data(), list,
                             count);
        PixelCell* cells = map.row(y);
        std::memcpy(static_cast<void*>(cells), cellBytes.data(),
                    2 * static_cast<std::size_t>(width));
        std::fill(cells + width, cells + PixelMap::kColumns, PixelCell{});
    }
    return count;
}

// The picture as the scan reads it: 32-bit pixels (a shared copy when it has them already).
QImage scannedForm(const QImage& picture) {
    if (picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32) {
        return picture;
    }
    return picture.convertToFormat(QImage::Format_RGB32);
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

QRect UndrawnLinePixelBounds(const ScanTables& tables) {
    if (tables.StartPointList.empty()) {
        return {};
    }
    int left = PixelMap::kColumns;
    int right = -1;
    int top = -1;
    int bottom = -1;
    for (std::size_t i = 1; tables.StartPointList[i].X >= 0; ++i) {
        const PixelPoint p = tables.StartPointList[i];
        if (tables.PixelMap(p).Undrawn) {
            left = std::min<int>(left, p.X);
            right = std::max<int>(right, p.X);
            // Raster order: the first undrawn pixel has the top row, the last the bottom one.
            top = top < 0 ? p.Y : top;
            bottom = p.Y;
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

void ScanPicture(const QImage& committedPicture, const ExtractionSettings& settings,
                 ScanTables& tables) {
    const QImage converted = scannedForm(committedPicture);
    const QImage* picture = &converted;
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

    const std::int32_t count =
        scanRows(*picture, width, height, tables.PixelMap, list, ruleFor(settings));

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
