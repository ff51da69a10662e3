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

}  // namespace
}  // namespace stylorex
