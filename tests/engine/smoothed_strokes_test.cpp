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

double DistanceToPieces(QPointF p, const std::vector<SmoothedPiece>& pieces) {
    double best = 1e9;
    for (const SmoothedPiece& piece : pieces) {
        for (std::size_t i = 0; i < piece.keys.size(); ++i) {
            const QPointF a = piece.keys[i];
            const QPointF b = piece.keys[std::min(i + 1, piece.keys.size() - 1)];
            const QPointF ab = b - a;
            const double length = QPointF::dotProduct(ab, ab);
            const double t =
                length == 0 ? 0 : std::clamp(QPointF::dotProduct(p - a, ab) / length, 0.0, 1.0);
            best = std::min(best, QLineF(p, a + t * ab).length());
        }
    }
    return best;
}

// What a smoothing target needs of every plan: keys it keeps (far enough apart), turns its
// curves follow, and every pixel of the stroke within a pixel of the ink.
void ExpectDrawable(const std::vector<QPoint>& path, const std::vector<SmoothedPiece>& pieces) {
    for (const QPoint& p : path) {
        // Within a pixel, diagonally too.
        EXPECT_LT(DistanceToPieces(p, pieces), 1.5) << p.x() << "," << p.y();
    }
    for (const SmoothedPiece& piece : pieces) {
        ASSERT_FALSE(piece.keys.empty());
        for (std::size_t i = 1; i < piece.keys.size(); ++i) {
            const QPoint d = piece.keys[i] - piece.keys[i - 1];
            EXPECT_GE(QPoint::dotProduct(d, d), kSmoothedSpacingSquared);
            if (i >= 2) {
                const QPoint before = piece.keys[i - 1] - piece.keys[i - 2];
                EXPECT_GT(QPoint::dotProduct(before, d), 0) << "a sharp turn inside a piece";
            }
        }
    }
}

TEST(SmoothedStrokes, AStraightLineIsOnePieceOfKeysAFewPixelsApart) {
    const std::vector<QPoint> path = Walk({QPoint(0, 0), QPoint(60, 20)});
    const std::vector<SmoothedPiece> pieces = PlanSmoothedStroke(path);
    ASSERT_EQ(pieces.size(), 1U);
    EXPECT_EQ(pieces[0].keys.front(), path.front());
    EXPECT_EQ(pieces[0].keys.back(), path.back());
    EXPECT_GE(pieces[0].keys.size(), 6U) << "one long move would let the target bulge";
    ExpectDrawable(path, pieces);
    EXPECT_EQ(PastTheEnd(QPoint(50, 16), QPoint(60, 20)), QPoint(70, 24));
}

TEST(SmoothedStrokes, ASharpCornerStartsANewPieceAndATightBendBecomesDots) {
    const std::vector<QPoint> corner = Walk({QPoint(0, 0), QPoint(30, 0), QPoint(30, 30)});
    const std::vector<SmoothedPiece> atCorner = PlanSmoothedStroke(corner);
    ASSERT_EQ(atCorner.size(), 2U);
    EXPECT_EQ(atCorner[0].keys.back(), QPoint(30, 0));
    EXPECT_EQ(atCorner[1].keys.front(), QPoint(30, 0));
    ExpectDrawable(corner, atCorner);

    // A zigzag turning every two pixels: no line reaches far enough along it.
    std::vector<QPoint> corners;
    for (int i = 0; i <= 10; ++i) {
        corners.push_back(QPoint(2 * i, 2 * (i % 2)));
    }
    const std::vector<QPoint> zigzag = Walk(corners);
    const std::vector<SmoothedPiece> dots = PlanSmoothedStroke(zigzag);
    for (const SmoothedPiece& dot : dots) {
        EXPECT_EQ(dot.keys.size(), 1U);
    }
    ExpectDrawable(zigzag, dots);
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
