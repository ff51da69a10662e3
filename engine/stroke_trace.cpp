#include "engine/stroke_trace.h"

namespace stylorex {

bool NextStrokePoint(const ScanTables& tables, std::int16_t x, std::int16_t y, PixelPoint& next) {
    const PixelMap& map = tables.PixelMap;
    const bool hasLeft = x != 0;
    const bool hasRight = x != tables.MaxX;
    const bool hasBelow = y != tables.MaxY;
    const bool hasAbove = y != 0;

    struct Neighbour {
        bool tried;
        int dx;
        int dy;
    };
    const Neighbour order[] = {
        {hasLeft && hasBelow, -1, 1},
        {hasBelow, 0, 1},
        {hasRight && hasBelow, 1, 1},
        {hasLeft, -1, 0},
        {hasRight, 1, 0},
        {hasLeft && hasAbove, -1, -1},
        {hasAbove, 0, -1},
        {hasRight && hasAbove, 1, -1},
    };
    for (const Neighbour& n : order) {
        if (!n.tried) {
            continue;
        }
        const int nx = x + n.dx;
        const int ny = y + n.dy;
        const PixelCell& cell = map(nx, ny);
        if (cell.IsLine && cell.Undrawn) {
            next = PixelPoint{static_cast<std::int16_t>(nx), static_cast<std::int16_t>(ny)};
            return true;
        }
    }
    next = PixelPoint{-1, -1};
    return false;
}

}  // namespace stylorex
