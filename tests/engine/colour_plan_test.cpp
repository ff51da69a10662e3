#include "engine/colour_plan.h"
#include "engine/colour_check.h"

#include <gtest/gtest.h>

#include <QImage>

#include <vector>

namespace stylorex {
namespace {

const QRgb kRed = qRgb(220, 30, 30);
const QRgb kBlue = qRgb(40, 60, 200);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);

ColourSettings PaletteOf(std::vector<QRgb> inks) {
    ColourSettings colour;
    for (std::size_t i = 0; i < inks.size(); ++i) {
        colour.palette.swatches.push_back(Swatch{QPoint(static_cast<int>(i) * 20, 0), inks[i]});
    }
    return colour;
}

// WalkRun's visitor: each stroke's pixels in the order drawn.
struct Strokes {
    std::vector<std::vector<PixelPoint>> all;
    void start(PixelPoint p) { all.push_back({p}); }
    bool move(PixelPoint p, bool) {
        all.back().push_back(p);
        return true;
    }
    void end(PixelPoint) {}
};

std::vector<std::vector<PixelPoint>> StrokesOf(ScanTables tables) {
    Strokes strokes;
    WalkRun(tables, false, strokes);
    return strokes.all;
}

std::vector<PixelPoint> Row(int y, int from, int to) {
    std::vector<PixelPoint> row;
    for (int x = from; x <= to; ++x) {
        row.push_back({static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)});
    }
    return row;
}

// A red "T" whose first stroke is short (the left end of the bar and the stem) and whose second
// is the rest of the bar, 29 pixels; a black line of 12 pixels below it. A millisecond less than
// the whole takes holds the bar's rest and the black line with their clicks, not the short stroke
// as well.
TEST(ColourPlan, TheTimeBudgetKeepsTheLongestStrokesThatFitAndLeavesTheOthersTracedAsBefore) {
    QImage picture(40, 12, QImage::Format_RGB32);
    picture.fill(kWhite);
    for (int x = 0; x <= 30; ++x) {
        picture.setPixel(x, 0, kRed);
    }
    for (int y = 1; y <= 3; ++y) {
        picture.setPixel(2, y, kRed);
    }
    for (int x = 0; x < 12; ++x) {
        picture.setPixel(x, 8, kBlack);
    }
    ColourSettings colour = PaletteOf({kRed, kBlack});
    colour.order = InkOrder::Palette;
    const ColourPlan full = PlanColours(picture, colour, RunModes{}, 5);
    ASSERT_EQ(full.passes.size(), 2u);
    ASSERT_EQ(StrokesOf(full.passes[0].tables).size(), 2u);
    EXPECT_EQ(StrokesOf(full.passes[0].tables)[1], Row(0, 2, 30));

    const auto within = full.time() - std::chrono::milliseconds(1);
    colour.within = within;
    const ColourPlan budget = PlanColours(picture, colour, RunModes{}, 5);
    ASSERT_EQ(budget.passes.size(), 2u);
    // Left out, the short stroke's pixels are not walked into: the bar's rest is traced as in the
    // whole picture.
    EXPECT_EQ(StrokesOf(budget.passes[0].tables),
              (std::vector<std::vector<PixelPoint>>{Row(0, 2, 30)}));
    EXPECT_EQ(StrokesOf(budget.passes[1].tables), StrokesOf(full.passes[1].tables));
    EXPECT_EQ(budget.passes[0].leftOut.strokes, 1);
    EXPECT_EQ(budget.passes[0].leftOut.linePixels, 5);
    EXPECT_EQ(budget.passes[1].leftOut.strokes, 0);
    EXPECT_EQ(budget.total().strokes + budget.leftOut().strokes, full.total().strokes);
    EXPECT_LE(budget.time(), within);

    // Too short for any stroke with its click: nothing is drawn, and the plan says all is left.
    colour.within = std::chrono::milliseconds(1);
    const ColourPlan none = PlanColours(picture, colour, RunModes{}, 5);
    EXPECT_EQ(none.total().strokes, 0);
    EXPECT_EQ(none.leftOut().strokes, full.total().strokes);
    EXPECT_EQ(none.time(), std::chrono::milliseconds(0));
}

TEST(ColourPlan, ABlackAndWhitePictureWithABlackInkIsPlannedAsTheDarkPixelModeScansIt) {
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(kWhite);
    for (int i = 0; i < 20; ++i) {
        picture.setPixel(i, i, kBlack);
        picture.setPixel(29 - i, 19 - i / 2, kBlack);
    }
    const ColourPlan plan = PlanColours(picture, PaletteOf({kBlack}), RunModes{}, 5);
    ASSERT_EQ(plan.passes.size(), 1u);
    ScanTables scan;
    ScanPicture(picture, ExtractionSettings{}, scan);
    EXPECT_EQ(StrokesOf(plan.passes[0].tables), StrokesOf(scan));
    const RunPlan one = PlanRun(scan, RunModes{});
    EXPECT_EQ(plan.total().strokes, one.strokes);
    EXPECT_EQ(plan.total().moves, one.moves);
}

// Four pixels to draw red, blue, nothing and red; the target showed red, red, blue and nothing:
// a blue pixel drawn red is missing for blue and extra for red, a pixel drawn where nothing
// belongs is extra, an unchanged one missing.
TEST(ColourCheck, APixelInAnotherInkIsMissingForItsOwnAndExtraForTheOneItShows) {
    QImage before(4, 1, QImage::Format_RGB32);
    before.fill(kWhite);
    QImage after = before;
    after.setPixel(0, 0, qRgb(225, 40, 25));  // red, within the tolerance
    after.setPixel(1, 0, kRed);
    after.setPixel(2, 0, kBlue);
    const RunCheck check =
        CompareColours(before, after, {0, 1, -1, 0}, {kRed, kBlue}, QPoint(100, 50));
    EXPECT_EQ(check.outcome, RunCheck::Outcome::Checked);
    EXPECT_EQ(check.missing, (std::vector<QPoint>{{101, 50}, {103, 50}}));
    EXPECT_EQ(check.extra, (std::vector<QPoint>{{101, 50}, {102, 50}}));
    ASSERT_EQ(check.inks.size(), 2u);
    EXPECT_EQ(check.inks[0].missing, 1);
    EXPECT_EQ(check.inks[0].extra, 1);
    EXPECT_EQ(check.inks[1].missing, 1);
    EXPECT_EQ(check.inks[1].extra, 1);
}

}  // namespace
}  // namespace stylorex
