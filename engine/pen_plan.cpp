#include "engine/pen_plan.h"

#include "engine/run_check.h"

#include <array>
#include <utility>
#include <vector>

namespace stylorex {

namespace {

// The undrawn line pixels of `tables`, over the scanned picture's rectangle.
DrawMask UndrawnPixels(const ScanTables& tables) {
    DrawMask mask = DrawMask::Sized(tables.MaxX + 1, tables.MaxY + 1);
    for (std::size_t i = 1; tables.StartPointList[i].X >= 0; ++i) {
        const PixelPoint p = tables.StartPointList[i];
        if (tables.PixelMap(p).Undrawn) {
            mask.set(p.X, p.Y);
        }
    }
    return mask;
}

// The largest squared distance the pen reaches.
std::int64_t PenReach(int width) {
    return std::int64_t{width} * width / 4;
}

// The centre lines of `mask`, one pixel wide and 8-connected, their ends kept (the thinning of
// Zhang and Suen).
DrawMask Skeleton(DrawMask mask) {
    // The eight neighbours clockwise from the one above.
    constexpr std::array<std::array<int, 2>, 8> kAround = {
        {{0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}}};
    std::vector<std::size_t> removed;
    for (bool changed = true; changed;) {
        changed = false;
        for (int pass = 0; pass < 2; ++pass) {
            removed.clear();
            for (int y = 0; y < mask.height; ++y) {
                for (int x = 0; x < mask.width; ++x) {
                    if (!mask.at(x, y)) {
                        continue;
                    }
                    std::array<bool, 8> n{};
                    int count = 0;
                    for (std::size_t i = 0; i < 8; ++i) {
                        const int nx = x + kAround[i][0];
                        const int ny = y + kAround[i][1];
                        n[i] = mask.contains(nx, ny) && mask.at(nx, ny);
                        count += n[i] ? 1 : 0;
                    }
                    int rises = 0;
                    for (std::size_t i = 0; i < 8; ++i) {
                        rises += !n[i] && n[(i + 1) % 8] ? 1 : 0;
                    }
                    // Up, right, down, left: n[0], n[2], n[4], n[6].
                    const bool open = pass == 0
                                          ? (!n[0] || !n[2] || !n[4]) && (!n[2] || !n[4] || !n[6])
                                          : (!n[0] || !n[2] || !n[6]) && (!n[0] || !n[4] || !n[6]);
                    if (count >= 2 && count <= 6 && rises == 1 && open) {
                        removed.push_back(static_cast<std::size_t>(y) * mask.width + x);
                    }
                }
            }
            for (const std::size_t i : removed) {
                mask.cells[i] = 0;
            }
            changed = changed || !removed.empty();
        }
    }
    return mask;
}

}  // namespace

void PlanPenStrokes(ScanTables& tables, int width) {
    if (width <= 1 || tables.StartPointList.empty()) {
        return;
    }
    const DrawMask lines = UndrawnPixels(tables);
    const int w = lines.width;
    const int h = lines.height;
    const std::int64_t reach = PenReach(width);

    // Where the pen fits: nothing within its reach is anything but a line pixel, the outside of
    // the picture included (a border of gaps around it).
    DrawMask gaps = DrawMask::Sized(w + 2, h + 2);
    for (int y = 0; y < h + 2; ++y) {
        for (int x = 0; x < w + 2; ++x) {
            if (x == 0 || y == 0 || x == w + 1 || y == h + 1 || !lines.at(x - 1, y - 1)) {
                gaps.set(x, y);
            }
        }
    }
    const std::vector<std::int64_t> toGap = SquaredDistancesToSet(gaps);
    DrawMask fits = DrawMask::Sized(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (toGap[static_cast<std::size_t>(y + 1) * (w + 2) + x + 1] > reach) {
                fits.set(x, y);
            }
        }
    }
    // Its outline, and rows across it one pen width apart.
    DrawMask centres = DrawMask::Sized(w, h);
    const auto fitsAt = [&](int x, int y) { return fits.contains(x, y) && fits.at(x, y); };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (fits.at(x, y) && (y % width == 0 || !fitsAt(x - 1, y) || !fitsAt(x + 1, y) ||
                                  !fitsAt(x, y - 1) || !fitsAt(x, y + 1))) {
                centres.set(x, y);
            }
        }
    }
    DrawMask covered = DrawMask::Sized(w, h);
    const std::vector<std::int64_t> toCentre = SquaredDistancesToSet(centres);
    for (std::size_t i = 0; i < covered.cells.size(); ++i) {
        covered.cells[i] = lines.cells[i] != 0 && toCentre[i] <= reach ? 1 : 0;
    }

    std::vector<std::array<int, 2>> stamp;
    const int r = width / 2 + 1;
    for (int dy = -r; dy <= r; ++dy) {
        for (int dx = -r; dx <= r; ++dx) {
            if (PenReaches(width, dx, dy)) {
                stamp.push_back({dx, dy});
            }
        }
    }
    // Whether a centre at (x, y) would cover a line pixel not yet covered; with `take`, it is
    // made one.
    const auto addsCover = [&](int x, int y, bool take) {
        bool adds = false;
        for (const auto& [dx, dy] : stamp) {
            const int px = x + dx;
            const int py = y + dy;
            if (lines.contains(px, py) && lines.at(px, py) && !covered.at(px, py)) {
                adds = true;
                if (!take) {
                    return true;
                }
                covered.set(px, py);
            }
        }
        if (take) {
            centres.set(x, y);
        }
        return adds;
    };
    // The centre lines of what the pen, where it fits, leaves uncovered (thin lines, the corners
    // of shapes: only a few pixels thick, so the thinning is soon done), and whatever is still
    // left as centres of their own.
    DrawMask uncovered = DrawMask::Sized(w, h);
    for (std::size_t i = 0; i < uncovered.cells.size(); ++i) {
        uncovered.cells[i] = lines.cells[i] != 0 && covered.cells[i] == 0 ? 1 : 0;
    }
    const DrawMask skeleton = Skeleton(std::move(uncovered));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (skeleton.at(x, y) && !centres.at(x, y) && addsCover(x, y, false)) {
                addsCover(x, y, true);
            }
        }
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (lines.at(x, y) && !covered.at(x, y)) {
                addsCover(x, y, true);
            }
        }
    }

    for (std::size_t i = 1; tables.StartPointList[i].X >= 0; ++i) {
        const PixelPoint p = tables.StartPointList[i];
        if (!centres.at(p.X, p.Y)) {
            tables.PixelMap(p).Undrawn = false;
        }
    }
}

DrawMask PenCoverage(const ScanTables& tables, int width) {
    if (width <= 1 || tables.StartPointList.empty()) {
        return UndrawnLinePixels(tables);
    }
    const DrawMask centres = UndrawnPixels(tables);
    const std::vector<std::int64_t> toCentre = SquaredDistancesToSet(centres);
    const std::int64_t reach = PenReach(width);
    DrawMask covered = DrawMask::Sized(centres.width, centres.height);
    for (std::size_t i = 1; tables.StartPointList[i].X >= 0; ++i) {
        const PixelPoint p = tables.StartPointList[i];
        if (toCentre[static_cast<std::size_t>(p.Y) * centres.width + p.X] <= reach) {
            covered.set(p.X, p.Y);
        }
    }
    return covered;
}

}  // namespace stylorex
