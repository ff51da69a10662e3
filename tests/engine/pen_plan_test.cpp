// A pen wider than one pixel: the plan moves it along centre lines and fills, and a disc of its
// width stamped along that plan covers the picture.
#include "engine/pen_plan.h"

#include "bench/acceptance_pictures.h"
#include "engine/run_check.h"
#include "engine/run_plan.h"
#include "tests/engine/test_pictures.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <utility>

namespace stylorex {
namespace {

// Every pixel within a pen of `width`'s reach of a dark pixel of `picture` made black: what a
// target with that pen makes of the picture's lines.
QImage Thickened(const QImage& picture, int width) {
    QImage thick = picture.copy();
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (qRed(picture.pixel(x, y)) <= 80) {
                testing::StampPen(thick, width, x, y);
            }
        }
    }
    return thick;
}

// The run's walk over planned tables, stamping a pen of `width` at every position it goes to
// with the button down, onto `canvas`.
struct PenStamper {
    QImage& canvas;
    int width;
    void start(PixelPoint p) { testing::StampPen(canvas, width, p.X, p.Y); }
    bool move(PixelPoint p, bool) {
        start(p);
        return true;
    }
    void end(PixelPoint) {}
};

TEST(PenPlan, APenOfOnePixelPlansEveryLinePixelAsBefore) {
    const QImage picture = MakeAcceptancePicture(AcceptancePicture::LineArt);
    ScanTables scanned;
    ScanPicture(picture, ExtractionSettings{}, scanned);
    ScanTables planned;
    RunModes modes;
    ScanForRun(picture, ExtractionSettings{}, modes, planned);
    EXPECT_EQ(UndrawnLinePixels(planned).cells, UndrawnLinePixels(scanned).cells);
    const RunPlan before = PlanRun(scanned, modes);
    const RunPlan after = PlanRun(planned, modes);
    EXPECT_EQ(after.moves, before.moves);
    EXPECT_EQ(after.strokes, before.strokes);
    EXPECT_EQ(after.linePixels, before.linePixels);
}

TEST(PenPlan, AWidePenCoversFilledShapesAndThickLinesInFarFewerMoves) {
    for (const int width : {3, 5}) {
        const QImage filled = MakeAcceptancePicture(AcceptancePicture::FilledShapes);
        const QImage thickLines =
            Thickened(MakeAcceptancePicture(AcceptancePicture::LineArt), width);
        for (const auto& [picture, name] :
             {std::pair{filled, "filled"}, std::pair{thickLines, "thick lines"}}) {
            SCOPED_TRACE(::testing::Message() << "pen " << width << ", " << name);
            RunModes modes;
            ScanTables tables;
            ScanForRun(picture, ExtractionSettings{}, modes, tables);
            const RunPlan onePixel = PlanRun(tables, modes);
            const DrawMask lines = AllLinePixels(tables);

            modes.PenWidth = width;
            ScanForRun(picture, ExtractionSettings{}, modes, tables);
            const RunPlan wide = PlanRun(tables, modes);
            EXPECT_LT(wide.moves * (width == 3 ? 2 : 3), onePixel.moves)
                << wide.moves << " moves against " << onePixel.moves;
            EXPECT_EQ(wide.linePixels, onePixel.linePixels) << "the pen covers every line pixel";

            const QImage blank =
                testing::FilledPicture(picture.width(), picture.height(), Qt::white);
            QImage stamped = blank;
            PenStamper stamper{stamped, width};
            WalkRun(tables, false, stamper);
            const RunCheck check = CompareTarget(blank, stamped, lines, qRgb(0, 0, 0), QPoint(),
                                                 CheckTolerance(CheckChoice::Auto, {width, false}));
            EXPECT_TRUE(check.satisfied())
                << check.missing.size() << " missing, " << check.extra.size() << " extra";
            // Beyond the tolerance, the pen inks every line pixel itself.
            EXPECT_TRUE(
                CompareTarget(blank, stamped, lines, qRgb(0, 0, 0), QPoint()).missing.empty());
        }
    }
}

}  // namespace
}  // namespace stylorex
