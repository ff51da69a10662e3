#include "engine/smoothed_strokes.h"

#include <QLineF>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace stylorex {
namespace {

// The pixels of a polyline through `corners`, rasterised (each step one pixel).
std::vector<QPoint> Walk(const std::vector<QPoint>& corners) {
    std::vector<QPoint> path{corners.front()};
    for (const QPoint& corner : corners) {
        const QPoint from = path.back();
        const QPoint d = corner - from;
        const int steps = std::max(std::abs(d.x()), std::abs(d.y()));
        for (int i = 1; i <= steps; ++i) {
            path.push_back(from + QPoint(static_cast<int>(std::lround(d.x() * i / double(steps))),
                                         static_cast<int>(std::lround(d.y() * i / double(steps)))));
        }
    }
    return path;
}

// A pen centred on the pointer's pixel corner, one pixel across either way of it: its ink keeps
// within a pixel of a pixel whose square (corners p to p + (1, 1)) its centre passes within half
// a pixel of, and covers much of that pixel.
bool InSquare(QPointF at, QPoint p, double margin = 1e-9) {
    return at.x() >= p.x() - margin && at.x() <= p.x() + 1 + margin && at.y() >= p.y() - margin &&
           at.y() <= p.y() + 1 + margin;
}

// What a smoothing target needs of every plan: keys it keeps (far enough apart), turns its
// curves follow, every pixel of the stroke passed through or dotted, and nothing passed through
// but the stroke's pixels.
void ExpectDrawable(const std::vector<QPoint>& path, const std::vector<SmoothedPiece>& pieces) {
    std::vector<bool> reached(path.size(), false);
    for (const SmoothedPiece& piece : pieces) {
        ASSERT_FALSE(piece.keys.empty());
        if (piece.keys.size() == 1) {
            const QPoint dot = piece.keys.front();
            for (std::size_t i = 0; i < path.size(); ++i) {
                const QPoint off = path[i] - dot;
                reached[i] =
                    reached[i] || (off.x() >= -2 && off.x() <= 1 && off.y() >= -2 && off.y() <= 1);
            }
        }
        for (std::size_t k = 1; k < piece.keys.size(); ++k) {
            const QPoint d = piece.keys[k] - piece.keys[k - 1];
            EXPECT_GE(QPoint::dotProduct(d, d), kSmoothedSpacingSquared);
            if (k >= 2) {
                const QPoint before = piece.keys[k - 1] - piece.keys[k - 2];
                EXPECT_GT(QPoint::dotProduct(before, d), 0) << "a sharp turn inside a piece";
            }
            for (int step = 0; step <= 200; ++step) {
                const QPointF at = QPointF(piece.keys[k - 1]) + QPointF(d) * (step / 200.0);
                bool onPath = false;
                for (std::size_t i = 0; i < path.size(); ++i) {
                    // Within half a pixel of its square the pen covers half of a pixel, or more.
                    const bool near = InSquare(at, path[i], 0.5);
                    reached[i] = reached[i] || near;
                    onPath = onPath || near;
                }
                EXPECT_TRUE(onPath) << "off the stroke at " << at.x() << "," << at.y();
            }
        }
    }
    for (std::size_t i = 0; i < path.size(); ++i) {
        EXPECT_TRUE(reached[i]) << path[i].x() << "," << path[i].y();
    }
}

TEST(SmoothedStrokes, AStraightLineIsOnePieceOfKeysAFewPixelsApart) {
    const std::vector<QPoint> path = Walk({QPoint(0, 0), QPoint(60, 20)});
    const std::vector<SmoothedPiece> pieces = PlanSmoothedStroke(path);
    ASSERT_EQ(pieces.size(), 1U);
    EXPECT_EQ(pieces[0].keys.front(), path.front());
    EXPECT_TRUE(InSquare(pieces[0].keys.back(), path.back()));
    EXPECT_GE(pieces[0].keys.size(), 6U) << "one long move would let the target bulge";
    ExpectDrawable(path, pieces);
    EXPECT_EQ(PastTheEnd(QPoint(50, 16), QPoint(60, 20)), QPoint(70, 24));
}

TEST(SmoothedStrokes, ASharpCornerStartsANewPieceAndATightBendBecomesDots) {
    const std::vector<QPoint> corner = Walk({QPoint(0, 0), QPoint(30, 0), QPoint(30, 30)});
    const std::vector<SmoothedPiece> atCorner = PlanSmoothedStroke(corner);
    ASSERT_EQ(atCorner.size(), 2U);
    EXPECT_TRUE(InSquare(atCorner[0].keys.back(), QPoint(30, 0)));
    EXPECT_EQ(atCorner[1].keys.front(), atCorner[0].keys.back());
    ExpectDrawable(corner, atCorner);

    // A zigzag turning every three pixels: lines from a pixel's corner to another's where they
    // reach far enough, or dots.
    std::vector<QPoint> corners;
    for (int i = 0; i <= 10; ++i) {
        corners.push_back(QPoint(3 * i, 3 * (i % 2)));
    }
    const std::vector<QPoint> zigzag = Walk(corners);
    ExpectDrawable(zigzag, PlanSmoothedStroke(zigzag));

    // A curl too small for any line a smoothing target keeps.
    const std::vector<QPoint> curl =
        Walk({QPoint(0, 0), QPoint(2, 0), QPoint(2, 2), QPoint(0, 2), QPoint(0, 1)});
    const std::vector<SmoothedPiece> dots = PlanSmoothedStroke(curl);
    for (const SmoothedPiece& dot : dots) {
        EXPECT_EQ(dot.keys.size(), 1U);
    }
    ExpectDrawable(curl, dots);
    EXPECT_EQ(PlanSmoothedStroke({QPoint(4, 4)}).size(), 1U);
}

TEST(SmoothedStrokes, ARasterCircleKeepsEveryPixelWithinAPixel) {
    std::vector<QPoint> corners;
    for (int a = 0; a <= 360; a += 5) {
        const double r = a * M_PI / 180;
        corners.push_back(QPoint(static_cast<int>(std::lround(40 + 25 * std::cos(r))),
                                 static_cast<int>(std::lround(40 + 25 * std::sin(r)))));
    }
    const std::vector<QPoint> circle = Walk(corners);
    const std::vector<SmoothedPiece> pieces = PlanSmoothedStroke(circle);
    ExpectDrawable(circle, pieces);
}

}  // namespace
}  // namespace stylorex
