#include "engine/run_check.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace stylorex {

namespace {

// How far apart two colours are: the sum of their channels' differences.
int Contrast(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
           std::abs(qBlue(a) - qBlue(b));
}

std::size_t Index(const DrawMask& mask, int x, int y) {
    return static_cast<std::size_t>(y) * mask.width + x;
}

RunCheck CompareWithin(const QImage& before, const QImage& after, const DrawMask& drawn,
                       std::optional<QRgb> ink, QPoint topLeft, int tolerance) {
    RunCheck check;
    check.tolerance = tolerance;
    const std::int64_t reach = std::int64_t{tolerance} * tolerance + tolerance;
    const std::vector<std::int64_t> toLine = SquaredDistancesToSet(drawn);
    if (!ink) {
        int strongest = 0;
        for (int y = 0; y < drawn.height; ++y) {
            const auto* was = reinterpret_cast<const QRgb*>(before.constScanLine(y));
            const auto* is = reinterpret_cast<const QRgb*>(after.constScanLine(y));
            for (int x = 0; x < drawn.width; ++x) {
                const int change = Contrast(was[x], is[x]);
                if (toLine[Index(drawn, x, y)] <= reach && change > strongest) {
                    strongest = change;
                    ink = is[x];
                }
            }
        }
    }
    bool anyChange = false;
    DrawMask inked = DrawMask::Sized(drawn.width, drawn.height);
    // Ink, or the ink's colour there before the run: what draws a line pixel near it.
    DrawMask shows = DrawMask::Sized(drawn.width, drawn.height);
    for (int y = 0; y < drawn.height; ++y) {
        const auto* was = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        const auto* is = reinterpret_cast<const QRgb*>(after.constScanLine(y));
        for (int x = 0; x < drawn.width; ++x) {
            const int change = Contrast(was[x], is[x]);
            anyChange = anyChange || change > 0;
            if (change > 0 && (!ink || change * kFaintInkDivisor >= Contrast(*ink, was[x]))) {
                inked.set(x, y);
                shows.set(x, y);
            } else if (ink && was[x] == *ink) {
                shows.set(x, y);
            }
        }
    }
    const std::vector<std::int64_t> toInk = SquaredDistancesToSet(shows);
    bool anyLinePixel = false;
    for (int y = 0; y < drawn.height; ++y) {
        for (int x = 0; x < drawn.width; ++x) {
            const std::size_t i = Index(drawn, x, y);
            if (drawn.at(x, y)) {
                anyLinePixel = true;
                if (toInk[i] > reach) {
                    check.missing.push_back(topLeft + QPoint(x, y));
                }
            }
            if (inked.at(x, y) && toLine[i] > reach) {
                check.extra.push_back(topLeft + QPoint(x, y));
            }
        }
    }
    check.outcome =
        anyLinePixel && !anyChange ? RunCheck::Outcome::NothingChanged : RunCheck::Outcome::Checked;
    if (check.outcome == RunCheck::Outcome::NothingChanged) {
        check.missing.clear();
    }
    return check;
}

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

std::optional<int> MeasuredPenWidth(const QImage& before, const QImage& after,
                                    const DrawMask& drawn) {
    if (before.size() != after.size() || before.width() != drawn.width ||
        before.height() != drawn.height) {
        return std::nullopt;
    }
    const auto line = [&](int x, int y) { return drawn.contains(x, y) && drawn.at(x, y); };
    // The changes across each measured pixel (`across` the unit step across its line).
    std::vector<std::vector<int>> sections;
    int strongest = 0;
    for (int y = 0; y < drawn.height; ++y) {
        for (int x = 0; x < drawn.width; ++x) {
            if (!line(x, y)) {
                continue;
            }
            for (const QPoint along : {QPoint(1, 0), QPoint(0, 1)}) {
                const QPoint across(along.y(), along.x());
                const QPoint p(x, y);
                bool measurable = true;
                for (int d = 1; d <= 2 && measurable; ++d) {
                    const QPoint a = p + d * along;
                    const QPoint b = p - d * along;
                    measurable = line(a.x(), a.y()) && line(b.x(), b.y());
                }
                for (int d = 1; d <= kPenAcross + 3 && measurable; ++d) {
                    for (const QPoint q : {p + d * across, p - d * across}) {
                        measurable = measurable && !line(q.x(), q.y()) &&
                                     (d > kPenAcross || drawn.contains(q.x(), q.y()));
                    }
                }
                if (!measurable) {
                    continue;
                }
                std::vector<int> section;
                for (int d = -kPenAcross; d <= kPenAcross; ++d) {
                    const QPoint q = p + d * across;
                    section.push_back(Contrast(before.pixel(q), after.pixel(q)));
                    strongest = std::max(strongest, section.back());
                }
                sections.push_back(std::move(section));
            }
        }
    }
    if (static_cast<int>(sections.size()) < kPenSamples || strongest == 0) {
        return std::nullopt;
    }
    std::vector<double> widths;
    widths.reserve(sections.size());
    for (const std::vector<int>& section : sections) {
        double width = 0;
        for (const int change : section) {
            width += static_cast<double>(change) / strongest;
        }
        widths.push_back(width);
    }
    const auto middle = widths.begin() + static_cast<std::ptrdiff_t>(widths.size() / 2);
    std::nth_element(widths.begin(), middle, widths.end());
    return static_cast<int>(std::lround(*middle));
}

int PenTolerance(int width) {
    return std::max(1, (width + 1) / 2);
}

int CheckTolerance(CheckChoice choice, const PenFacts& pen) {
    switch (choice) {
        case CheckChoice::Exact:
            return 0;
        case CheckChoice::Tolerant:
            return PenTolerance(pen.width);
        case CheckChoice::Auto:
            break;
    }
    return pen.width > 1 || pen.softOrOffset ? PenTolerance(pen.width) : 0;
}

RunCheck CompareTarget(const QImage& before, const QImage& after, const DrawMask& drawn,
                       std::optional<QRgb> ink, QPoint topLeft, int tolerance) {
    if (tolerance > 0) {
        return CompareWithin(before, after, drawn, ink, topLeft, tolerance);
    }
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
