#include "engine/run_check.h"

namespace stylorex {

namespace {

DrawMask LinePixels(const ScanTables& tables, bool undrawnOnly) {
    DrawMask mask;
    mask.width = tables.MaxX + 1;
    mask.height = tables.MaxY + 1;
    mask.cells.assign(static_cast<std::size_t>(mask.width) * mask.height, 0);
    if (tables.StartPointList.empty()) {
        return mask;
    }
    for (std::size_t i = 1; tables.StartPointList[i].X >= 0; ++i) {
        const PixelPoint p = tables.StartPointList[i];
        if (!undrawnOnly || tables.PixelMap(p).Undrawn) {
            mask.cells[static_cast<std::size_t>(p.Y) * mask.width + p.X] = 1;
        }
    }
    return mask;
}

}  // namespace

DrawMask UndrawnLinePixels(const ScanTables& tables) {
    return LinePixels(tables, true);
}

DrawMask AllLinePixels(const ScanTables& tables) {
    return LinePixels(tables, false);
}

RunCheck CompareTarget(const QImage& before, const QImage& after, const DrawMask& drawn,
                       std::optional<QRgb> ink, QPoint topLeft) {
    RunCheck check;
    bool anyChange = false;
    bool anyLinePixel = false;
    for (int y = 0; y < drawn.height && !ink; ++y) {
        for (int x = 0; x < drawn.width; ++x) {
            if (drawn.at(x, y) && after.pixel(x, y) != before.pixel(x, y)) {
                ink = after.pixel(x, y);
                break;
            }
        }
    }
    for (int y = 0; y < drawn.height; ++y) {
        const auto* was = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        const auto* is = reinterpret_cast<const QRgb*>(after.constScanLine(y));
        for (int x = 0; x < drawn.width; ++x) {
            const bool changed = was[x] != is[x];
            anyChange = anyChange || changed;
            if (drawn.at(x, y)) {
                anyLinePixel = true;
                if (!changed && !(ink && was[x] == *ink)) {
                    check.missing.push_back(topLeft + QPoint(x, y));
                }
            } else if (changed) {
                check.extra.push_back(topLeft + QPoint(x, y));
            }
        }
    }
    if (anyLinePixel && !anyChange) {
        check.outcome = RunCheck::Outcome::NothingChanged;
        check.missing.clear();
        return check;
    }
    check.outcome = RunCheck::Outcome::Checked;
    return check;
}

}  // namespace stylorex
