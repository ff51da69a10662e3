#include "engine/smoothed_strokes.h"

#include <QRect>

#include <algorithm>
#include <cstddef>
#include <optional>

namespace stylorex {

namespace {

// How far outside a pixel of the path the line joining the keys around it may pass: the pen's
// ink still reaches it.
constexpr double kOffLine = 0.5;
// The pen such targets draw with reaches this far either side of the line (a radius of one
// pixel; thinner pens stay inside it), and a pixel it covers this much of (in sixteenths) shows
// as ink: less than the page's antialiasing shows, for the curves through the keys swing a little
// beyond the lines between them.
constexpr double kPenReach = 1.0;
constexpr int kShowsInk = 2;
// Keys lie at most this far apart (squared): a curve's bulge grows with the distance between the
// positions it joins.
constexpr int kLongestSquared = 100;
// At each key the path turns by at most this much (the cosine of about 6°): the curve through a
// sharper turn swings out beyond it.
constexpr double kGentlestTurn = 0.995;

int SquaredLength(QPoint v) {
    return v.x() * v.x() + v.y() * v.y();
}

// Whether the segment from `a` to `b` (corners) passes through pixel `p` (its square, edges
// included, widened by kOffLine).
bool Crosses(QPoint a, QPoint b, QPoint p) {
    double enter = 0.0;
    double leave = 1.0;
    const auto clip = [&](double direction, double room) {
        if (direction == 0.0) {
            return room >= 0.0;
        }
        const double t = room / direction;
        if (direction < 0.0) {
            enter = std::max(enter, t);
        } else {
            leave = std::min(leave, t);
        }
        return enter <= leave;
    };
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    return clip(-dx, a.x() - (p.x() - kOffLine)) && clip(dx, p.x() + 1 + kOffLine - a.x()) &&
           clip(-dy, a.y() - (p.y() - kOffLine)) && clip(dy, p.y() + 1 + kOffLine - a.y());
}

bool Fits(const std::vector<QPoint>& path, std::size_t from, std::size_t to, QPoint a, QPoint b) {
    for (std::size_t i = from + 1; i < to; ++i) {
        if (!Crosses(a, b, path[i])) {
            return false;
        }
    }
    return true;
}

// The pixels a stroke's ink may cover: its own and those next to them.
class StrokeArea {
  public:
    explicit StrokeArea(const std::vector<QPoint>& path) {
        for (const QPoint& p : path) {
            bounds_ |= QRect(p - QPoint(1, 1), QSize(3, 3));
        }
        allowed_.assign(static_cast<std::size_t>(bounds_.width() * bounds_.height()), false);
        for (const QPoint& p : path) {
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    allowed_[index(p + QPoint(dx, dy))] = true;
                }
            }
        }
    }

    // Whether the pen's ink along the segment from `a` to `b` (corners) shows on a pixel farther
    // than a pixel from the stroke.
    bool strays(QPoint a, QPoint b) const {
        const int left = std::min(a.x(), b.x()) - 2;
        const int top = std::min(a.y(), b.y()) - 2;
        const int right = std::max(a.x(), b.x()) + 1;
        const int bottom = std::max(a.y(), b.y()) + 1;
        for (int y = top; y <= bottom; ++y) {
            for (int x = left; x <= right; ++x) {
                if (!allowed(QPoint(x, y)) && covered(a, b, x, y) >= kShowsInk) {
                    return true;
                }
            }
        }
        return false;
    }

  private:
    std::size_t index(QPoint p) const {
        return static_cast<std::size_t>((p.y() - bounds_.top()) * bounds_.width() +
                                        (p.x() - bounds_.left()));
    }
    bool allowed(QPoint p) const { return bounds_.contains(p) && allowed_[index(p)]; }
    // How many of 4 x 4 points spread over pixel (x, y) lie within the pen's reach of the segment.
    static int covered(QPoint a, QPoint b, int x, int y) {
        const double dx = b.x() - a.x();
        const double dy = b.y() - a.y();
        const double length = dx * dx + dy * dy;
        int count = 0;
        for (int j = 0; j < 4; ++j) {
            for (int i = 0; i < 4; ++i) {
                const double px = x + (i + 0.5) / 4 - a.x();
                const double py = y + (j + 0.5) / 4 - a.y();
                const double t =
                    length == 0 ? 0.0 : std::clamp((px * dx + py * dy) / length, 0.0, 1.0);
                const double ox = px - t * dx;
                const double oy = py - t * dy;
                count += ox * ox + oy * oy <= kPenReach * kPenReach ? 1 : 0;
            }
        }
        return count;
    }

    QRect bounds_;
    std::vector<bool> allowed_;
};

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
    const StrokeArea area(path);
    std::size_t last = 0;  // where keys.back() lies on the path
    std::vector<QPoint> keys{path[0]};
    bool startInked = false;  // keys[0] ends the piece before, which inks it
    while (last + 1 < n) {
        std::optional<std::size_t> next;
        QPoint nextKey;
        for (std::size_t j = last + 1; j < n; ++j) {
            if (SquaredLength(path[j] - keys.back()) > kLongestSquared + 4) {
                break;
            }
            // Any corner of the pixel will do. A pixel off one line may lie on a longer one: a
            // raster line's steps.
            for (const QPoint corner : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)}) {
                const QPoint key = path[j] + corner;
                const int length = SquaredLength(key - keys.back());
                if (length >= kSmoothedSpacingSquared && length <= kLongestSquared &&
                    Fits(path, last, j, keys.back(), key) && !area.strays(keys.back(), key) &&
                    (keys.size() < 2 ||
                     TurnsGently(keys.back() - keys[keys.size() - 2], key - keys.back()))) {
                    next = j;
                    nextKey = key;
                    break;
                }
            }
        }
        if (next) {
            keys.push_back(nextKey);
            last = *next;
            continue;
        }
        if (keys.size() >= 2) {
            pieces.push_back({keys});
            keys = {keys.back()};
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
