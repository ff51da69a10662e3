#include "engine/stroke_trace.h"

namespace stylorex {

namespace {

bool qualifies(const PixelCell& cell) {
    return cell.IsLine && cell.Undrawn;
}

}  // namespace

bool NextStrokePoint(const ScanTables& tables, std::int16_t x, std::int16_t y, PixelPoint& next) {
    const bool hasLeft = x != 0;
    const bool hasRight = x != tables.MaxX;
    const bool hasBelow = y != tables.MaxY;
    const bool hasAbove = y != 0;
    const PixelCell* here = &tables.PixelMap(x, y);
    constexpr int kRow = PixelMap::kColumns;

    // The eight neighbours in their fixed order; each is looked at only when its guard holds,
    // so no look leaves the scanned picture.
    auto take = [&](int dx, int dy) {
        next = PixelPoint{static_cast<std::int16_t>(x + dx), static_cast<std::int16_t>(y + dy)};
        return true;
    };
    if (hasBelow) {
        const PixelCell* below = here + kRow;
        if (hasLeft && qualifies(below[-1])) {
            return take(-1, 1);
        }
        if (qualifies(below[0])) {
            return take(0, 1);
        }
        if (hasRight && qualifies(below[1])) {
            return take(1, 1);
        }
    }
    if (hasLeft && qualifies(here[-1])) {
        return take(-1, 0);
    }
    if (hasRight && qualifies(here[1])) {
        return take(1, 0);
    }
    if (hasAbove) {
        const PixelCell* above = here - kRow;
        if (hasLeft && qualifies(above[-1])) {
            return take(-1, -1);
        }
        if (qualifies(above[0])) {
            return take(0, -1);
        }
        if (hasRight && qualifies(above[1])) {
            return take(1, -1);
        }
    }
    next = PixelPoint{-1, -1};
    return false;
}

}  // namespace stylorex
