#include "engine/smoothed_strokes.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>

namespace stylorex {

namespace {

// How far a pixel of the path may lie from the line joining the keys around it.
constexpr double kOffLine = 0.5;
// Keys lie at most this far apart (squared): a curve's bulge grows with the distance between the
// positions it joins.
constexpr int kLongestSquared = 100;
// At each key the path turns by at most this much (the cosine of about 25°): the curve through a
// sharper turn swings out beyond it.
constexpr double kGentlestTurn = 0.95;

int SquaredLength(QPoint v) {
    return v.x() * v.x() + v.y() * v.y();
}

double DistanceToSegment(QPoint p, QPoint a, QPoint b) {
    const QPoint ab = b - a;
    const QPoint ap = p - a;
    const int length = SquaredLength(ab);
    const double t =
        length == 0
            ? 0.0
            : std::clamp(static_cast<double>(QPoint::dotProduct(ap, ab)) / length, 0.0, 1.0);
    const double dx = ap.x() - t * ab.x();
    const double dy = ap.y() - t * ab.y();
    return std::sqrt(dx * dx + dy * dy);
}

bool Fits(const std::vector<QPoint>& path, std::size_t from, std::size_t to) {
    for (std::size_t i = from + 1; i < to; ++i) {
        if (DistanceToSegment(path[i], path[from], path[to]) > kOffLine) {
            return false;
        }
    }
    return true;
}

bool TurnsGently(QPoint in, QPoint out) {
    const double product = QPoint::dotProduct(in, out);
    return product > 0 && product * product >= kGentlestTurn * kGentlestTurn * SquaredLength(in) *
                                                   SquaredLength(out);
}

}  // namespace

std::vector<SmoothedPiece> PlanSmoothedStroke(const std::vector<QPoint>& path) {
    std::vector<SmoothedPiece> pieces;
    if (path.empty()) {
        return pieces;
    }
    const std::size_t n = path.size();
    std::size_t last = 0;  // where keys.back() lies on the path
    std::vector<QPoint> keys{path[0]};
    bool startInked = false;  // keys[0] ends the piece before, which inks it
    while (last + 1 < n) {
        std::optional<std::size_t> next;
        for (std::size_t j = last + 1; j < n; ++j) {
            const int length = SquaredLength(path[j] - path[last]);
            if (length > kLongestSquared) {
                break;
            }
            // A pixel off one line may lie on a longer one: a raster line's steps.
            if (length >= kSmoothedSpacingSquared && Fits(path, last, j) &&
                (keys.size() < 2 ||
                 TurnsGently(keys.back() - keys[keys.size() - 2], path[j] - keys.back()))) {
                next = j;
            }
        }
        if (next) {
            keys.push_back(path[*next]);
            last = *next;
            continue;
        }
        if (keys.size() >= 2) {
            pieces.push_back({keys});
            keys = {path[last]};
            startInked = true;
            continue;
        }
        // No line from here reaches far enough: dots, each inking within a pixel of it.
        if (!startInked) {
            pieces.push_back({keys});
        }
        const std::size_t dot = std::min(last + 2, n - 1);
        pieces.push_back({{path[dot]}});
        last = std::min(dot + 2, n - 1);
        keys = {path[last]};
        startInked = dot + 1 >= n - 1;  // a dot inks the pixels either side of it
    }
    if (keys.size() >= 2 || !startInked) {
        pieces.push_back({keys});
    }
    return pieces;
}

}  // namespace stylorex
