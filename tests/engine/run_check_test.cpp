#include "engine/run_check.h"

#include "tests/engine/test_pictures.h"

#include <gtest/gtest.h>

namespace stylorex {
namespace {

using testing::FilledPicture;

DrawMask MaskOf(int width, int height, std::initializer_list<std::pair<int, int>> pixels) {
    DrawMask mask{width, height, std::vector<char>(static_cast<std::size_t>(width) * height, 0)};
    for (const auto& [x, y] : pixels) {
        mask.cells[static_cast<std::size_t>(y) * width + x] = 1;
    }
    return mask;
}

TEST(CompareTarget, CountsMissingAndExtraPixelsAgainstTheInkLearnedFromTheFirstChange) {
    // Line pixels on row 1; (4, 1) was blue before the run, (5, 1) grey.
    const DrawMask drawn = MaskOf(8, 4, {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}});
    QImage before = FilledPicture(8, 4, Qt::white);
    before.setPixel(4, 1, qRgb(0, 0, 255));
    before.setPixel(5, 1, qRgb(128, 128, 128));
    QImage after = before;
    after.setPixel(1, 1, qRgb(0, 0, 255));  // the first change: blue is the ink
    after.setPixel(3, 1, qRgb(0, 0, 255));
    after.setPixel(6, 2, qRgb(0, 0, 255));  // beside the line
    const QPoint topLeft(300, 200);

    RunCheck check = CompareTarget(before, after, drawn, std::nullopt, topLeft);
    EXPECT_EQ(check.outcome, RunCheck::Outcome::Checked);
    // (4, 1) had the ink already; (2, 1) and the grey (5, 1) never changed.
    EXPECT_EQ(check.missing, (std::vector<QPoint>{{302, 201}, {305, 201}}));
    EXPECT_EQ(check.extra, (std::vector<QPoint>{{306, 202}}));

    // Told that the ink is grey, the grey pixel counts as drawn and the blue one as missing.
    check = CompareTarget(before, after, drawn, qRgb(128, 128, 128), topLeft);
    EXPECT_EQ(check.missing, (std::vector<QPoint>{{302, 201}, {304, 201}}));

    check = CompareTarget(before, before, drawn, std::nullopt, topLeft);
    EXPECT_EQ(check.outcome, RunCheck::Outcome::NothingChanged);
    EXPECT_TRUE(check.missing.empty());
}

// The tolerant check, against targets whose pen is not one exact pixel. The picture: a line along
// row 5 (x 2..25) and a diagonal from (2, 10) to (12, 20), as a 30 × 24 rectangle at (300, 200).
class TolerantCheck : public ::testing::Test {
  protected:
    TolerantCheck() : drawn{DrawMask::Sized(30, 24)}, before{FilledPicture(30, 24, Qt::white)} {
        for (int x = 2; x <= 25; ++x) {
            drawn.set(x, 5);
        }
        for (int i = 0; i <= 10; ++i) {
            drawn.set(2 + i, 10 + i);
        }
        after = before;
    }

    void paint(int x, int y, int grey) { after.setPixel(x, y, qRgb(grey, grey, grey)); }
    // A one-pixel pen centred on the pixels' corners, half a pixel up and left of the pointer,
    // antialiased: the line straddles rows 4 and 5 in two mid greys; the diagonal stays on its
    // pixels, darker, with a faint fringe beside them. `gapFrom`..`gapTo`: columns left bare.
    void drawOnCorners(int gapFrom = 0, int gapTo = -1) {
        for (int x = 1; x <= 25; ++x) {
            if (x < gapFrom || x > gapTo) {
                paint(x, 4, 128);
                paint(x, 5, 128);
            }
        }
        drawDiagonal();
    }
    void drawDiagonal() {
        for (int i = 0; i <= 10; ++i) {
            paint(2 + i, 10 + i, 70);
            paint(3 + i, 10 + i, 215);
            paint(2 + i, 11 + i, 215);
        }
    }
    RunCheck check(int tolerance) {
        return CompareTarget(before, after, drawn, std::nullopt, topLeft, tolerance);
    }

    DrawMask drawn;
    QImage before;
    QImage after;
    const QPoint topLeft{300, 200};
};

TEST_F(TolerantCheck, APenCentredOnPixelCornersPassesWithinOnePixel) {
    drawOnCorners();
    const RunCheck exact = check(0);
    EXPECT_FALSE(exact.exact()) << "two grey rows are not the exact line";
    EXPECT_FALSE(exact.extra.empty());

    const RunCheck tolerant = check(1);
    EXPECT_EQ(tolerant.outcome, RunCheck::Outcome::Checked);
    EXPECT_EQ(tolerant.tolerance, 1);
    EXPECT_TRUE(tolerant.missing.empty()) << tolerant.missing.size();
    EXPECT_TRUE(tolerant.extra.empty()) << tolerant.extra.size();
    EXPECT_TRUE(tolerant.satisfied());
    EXPECT_FALSE(tolerant.exact()) << "satisfied, but not under the exact check";
}

TEST_F(TolerantCheck, AGreyPenTwoToThreePixelsWideWithAFaintFringePasses) {
    // No pixel in the full ink: the ink is the darkest grey, and its faint fringe two rows
    // out is antialiasing, not extra ink.
    for (int x = 2; x <= 25; ++x) {
        paint(x, 5, 100);
        paint(x, 4, 170);
        paint(x, 6, 170);
        paint(x, 3, 235);
        paint(x, 7, 235);
    }
    for (int i = 0; i <= 10; ++i) {
        paint(2 + i, 10 + i, 100);
        paint(3 + i, 10 + i, 170);
        paint(2 + i, 11 + i, 170);
        paint(4 + i, 10 + i, 235);
    }
    const RunCheck tolerant = check(1);
    EXPECT_TRUE(tolerant.satisfied())
        << tolerant.missing.size() << " missing, " << tolerant.extra.size() << " extra";
    EXPECT_EQ(check(0).extra.size(), 4u * 24 + 2u * 11 + 11u);
}

TEST_F(TolerantCheck, ALineTwoPixelsOffFails) {
    for (int x = 2; x <= 25; ++x) {
        paint(x, 7, 0);
    }
    drawDiagonal();
    const RunCheck tolerant = check(1);
    EXPECT_EQ(tolerant.missing.size(), 24u);
    EXPECT_EQ(tolerant.missing.front(), QPoint(302, 205));
    EXPECT_EQ(tolerant.extra.size(), 24u);
    EXPECT_EQ(tolerant.extra.front(), QPoint(302, 207));
    EXPECT_FALSE(tolerant.satisfied());
    // A tolerance of two takes it in.
    EXPECT_TRUE(check(2).satisfied());
}

TEST_F(TolerantCheck, AMissingSegmentFailsBeyondTheTolerance) {
    drawOnCorners(12, 17);
    const RunCheck tolerant = check(1);
    // Columns 12 and 17 have ink a pixel away; 13 to 16 have none within one.
    EXPECT_EQ(tolerant.missing,
              (std::vector<QPoint>{{313, 205}, {314, 205}, {315, 205}, {316, 205}}));
    EXPECT_TRUE(tolerant.extra.empty());

    after = before;
    EXPECT_EQ(check(1).outcome, RunCheck::Outcome::NothingChanged);
}

// Across the horizontal line (the diagonal is not measured): one exact pixel, a pen on the
// corners, a pen three pixels wide, and a line two pixels off that is no wider for it.
TEST_F(TolerantCheck, ThePensWidthIsMeasuredAcrossTheLines) {
    for (int x = 1; x <= 26; ++x) {
        paint(x, 5, 0);
    }
    EXPECT_EQ(MeasuredPenWidth(before, after, drawn), 1);
    after = before;
    drawOnCorners();
    EXPECT_EQ(MeasuredPenWidth(before, after, drawn), 2);
    for (int x = 1; x <= 26; ++x) {
        for (const int y : {4, 5, 6}) {
            paint(x, y, 0);
        }
    }
    EXPECT_EQ(MeasuredPenWidth(before, after, drawn), 3);
    after = before;
    for (int x = 1; x <= 26; ++x) {
        paint(x, 7, 0);
    }
    EXPECT_EQ(MeasuredPenWidth(before, after, drawn), 1);
    // Too few pixels to measure: the line cut short.
    DrawMask shortLine = DrawMask::Sized(30, 24);
    for (int x = 2; x <= 12; ++x) {
        shortLine.set(x, 5);
    }
    EXPECT_EQ(MeasuredPenWidth(before, after, shortLine), std::nullopt);
}

TEST(CheckTolerance, ExactForAnExactPenTolerantOtherwiseOrWhenAsked) {
    EXPECT_EQ(CheckTolerance(CheckChoice::Auto, PenFacts{}), 0);
    EXPECT_EQ(CheckTolerance(CheckChoice::Auto, PenFacts{1, true}), 1);
    EXPECT_EQ(CheckTolerance(CheckChoice::Auto, PenFacts{3, false}), 2);
    EXPECT_EQ(CheckTolerance(CheckChoice::Auto, PenFacts{5, false}), 3);
    EXPECT_EQ(CheckTolerance(CheckChoice::Tolerant, PenFacts{}), 1);
    EXPECT_EQ(CheckTolerance(CheckChoice::Exact, PenFacts{5, true}), 0);
}

}  // namespace
}  // namespace stylorex
