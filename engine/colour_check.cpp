#include "engine/colour_check.h"

#include <cstdlib>
#include <limits>

namespace stylorex {

namespace {

int distance2(QRgb a, QRgb b) {
    const int dr = qRed(a) - qRed(b);
    const int dg = qGreen(a) - qGreen(b);
    const int db = qBlue(a) - qBlue(b);
    return dr * dr + dg * dg + db * db;
}

std::size_t nearestInk(QRgb shown, const std::vector<QRgb>& inks) {
    std::size_t best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < inks.size(); ++i) {
        if (const int d = distance2(shown, inks[i]); d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

}  // namespace

bool ShowsInk(QRgb shown, QRgb ink) {
    return std::abs(qRed(shown) - qRed(ink)) <= kInkTolerance &&
           std::abs(qGreen(shown) - qGreen(ink)) <= kInkTolerance &&
           std::abs(qBlue(shown) - qBlue(ink)) <= kInkTolerance;
}

RunCheck CompareColours(const QImage& before, const QImage& after,
                        const std::vector<std::int8_t>& expected, const std::vector<QRgb>& inks,
                        QPoint topLeft) {
    RunCheck check;
    for (const QRgb ink : inks) {
        check.inks.push_back(RunCheck::InkTally{ink, 0, 0});
    }
    bool anyChange = false;
    bool anyToDraw = false;
    const int width = before.width();
    for (int y = 0; y < before.height(); ++y) {
        const auto* was = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        const auto* is = reinterpret_cast<const QRgb*>(after.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const std::int8_t own = expected[static_cast<std::size_t>(y) * width + x];
            const bool changed = was[x] != is[x];
            anyChange = anyChange || changed;
            if (own >= 0) {
                anyToDraw = true;
                const auto ink = static_cast<std::size_t>(own);
                if (ShowsInk(is[x], inks[ink])) {
                    continue;
                }
                ++check.inks[ink].missing;
                check.missing.push_back(topLeft + QPoint(x, y));
            }
            if (changed && !inks.empty()) {
                ++check.inks[nearestInk(is[x], inks)].extra;
                check.extra.push_back(topLeft + QPoint(x, y));
            }
        }
    }
    if (anyToDraw && !anyChange) {
        check.outcome = RunCheck::Outcome::NothingChanged;
        check.missing.clear();
        for (RunCheck::InkTally& tally : check.inks) {
            tally.missing = 0;
        }
        return check;
    }
    check.outcome = RunCheck::Outcome::Checked;
    return check;
}

}  // namespace stylorex
