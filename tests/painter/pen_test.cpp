#include "painter_fixture.h"

#include <vector>

namespace stylorex {
namespace {

using Pen = PainterFixture;

TEST_F(Pen, ControlsStartAtWidthOneSolidAndBlack) {
    EXPECT_EQ(c.DWBar->minimum(), 1);
    EXPECT_EQ(c.DWBar->maximum(), 20);
    EXPECT_EQ(c.DWBar->singleStep(), 1);
    EXPECT_EQ(c.DWBar->pageStep(), 5);
    EXPECT_EQ(c.DWBar->value(), 1);
    EXPECT_EQ(c.LineView->lineWidth(), 1);
    EXPECT_EQ(pic->DrawWidth(), 1);
    EXPECT_EQ(c.FramLine->toolTip(), QStringLiteral("描画する線の太さを決めます"));

    const QStringList styles = {"実線", "鎖線", "点線"};
    ASSERT_EQ(c.cmbDrawStyle->count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(c.cmbDrawStyle->itemText(i), styles[i]);
        EXPECT_EQ(c.cmbDrawStyle->itemData(i).toInt(), i);
    }
    EXPECT_EQ(c.cmbDrawStyle->currentIndex(), 0);
    EXPECT_EQ(pic->DrawStyle(), 0);
    EXPECT_EQ(painter->pen().drawingColour(), QColor(0, 0, 0));
    EXPECT_EQ(c.lblforecol->palette().color(QPalette::Window), QColor(0, 0, 0));
}

TEST_F(Pen, DraggingTheThumbChangesSampleAndPenBeforeItIsReleased) {
    c.DWBar->setSliderDown(true);
    c.DWBar->setSliderPosition(7);
    EXPECT_EQ(c.LineView->lineWidth(), 7);
    EXPECT_EQ(pic->DrawWidth(), 7);

    // Without tracking only the scroll signal reports the thumb; the pen follows it anyway.
    c.DWBar->setTracking(false);
    c.DWBar->setSliderPosition(12);
    EXPECT_EQ(c.DWBar->value(), 7);
    EXPECT_EQ(c.LineView->lineWidth(), 12);
    EXPECT_EQ(pic->DrawWidth(), 12);
    c.DWBar->setSliderDown(false);
    EXPECT_EQ(c.DWBar->value(), 12);

    c.DWBar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(pic->DrawWidth(), 17);
    c.DWBar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(pic->DrawWidth(), 20);
}

// The lengths of the runs of black pixels along row y from x0 to x1.
std::vector<int> BlackRuns(const QImage& image, int y, int x0, int x1) {
    std::vector<int> runs;
    int length = 0;
    for (int x = x0; x <= x1 + 1; ++x) {
        if (x <= x1 && IsBlack(image.pixel(x, y))) {
            ++length;
        } else if (length > 0) {
            runs.push_back(length);
            length = 0;
        }
    }
    return runs;
}

TEST_F(Pen, DashAndDotShowAtWidthOne) {
    selectTool(kToolLine);
    setStyle(2);
    EXPECT_EQ(pic->DrawStyle(), 2);
    drag(QPointF(10, 10), QPointF(49, 10));
    const std::vector<int> dots = BlackRuns(persistent(), 10, 0, 199);
    EXPECT_GE(dots.size(), 10u);
    for (int run : dots) {
        EXPECT_EQ(run, 1);
    }
    EXPECT_TRUE(pixelIs(persistent(), 10, 10, Qt::black));
    EXPECT_EQ(CountNotWhite(persistent()), static_cast<int>(dots.size()));

    setStyle(1);
    drag(QPointF(10, 30), QPointF(49, 30));
    const std::vector<int> dashes = BlackRuns(persistent(), 30, 0, 199);
    EXPECT_GE(dashes.size(), 5u);
    for (std::size_t i = 0; i + 1 < dashes.size(); ++i) {
        EXPECT_GT(dashes[i], 1);
        EXPECT_LT(dashes[i], 10);
    }

    setStyle(0);
    drag(QPointF(10, 50), QPointF(49, 50));
    EXPECT_EQ(BlackRuns(persistent(), 50, 0, 199), std::vector<int>{40});
}

TEST_F(Pen, WideLinesAreSolidWhateverTheStyle) {
    selectTool(kToolLine);
    setWidth(20);
    for (int style = 0; style < 3; ++style) {
        pic->setAutoRedraw(true);
        pic->Cls();
        setStyle(style);
        drag(QPointF(40, 100), QPointF(160, 100));
        SCOPED_TRACE(style);
        // Across the middle of the line: one solid run exactly 20 pixels high around y = 100.
        int top = -1;
        int height = 0;
        for (int y = 0; y < 200; ++y) {
            if (IsBlack(persistent().pixel(100, y))) {
                top = top < 0 ? y : top;
                ++height;
            }
        }
        EXPECT_EQ(height, 20);
        EXPECT_GE(top, 90);
        EXPECT_LE(top, 91);
        // Along the line every pixel of that band is black.
        EXPECT_EQ(CountPixels(persistent(), IsBlack, QRect(40, top, 121, 20)), 121 * 20);
        EXPECT_EQ(CountPixels(persistent(), IsBlack), CountNotWhite(persistent()));
    }
}

}  // namespace
}  // namespace stylorex
