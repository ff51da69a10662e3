#include "canvas/canvas_image.h"

#include "engine/run_plan.h"
#include "imaging/picture_decoder.h"

#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace stylorex {
namespace {

TEST(CanvasPicture, ATransparentPngDrawsOnlyItsOpaqueOutline) {
    // A 100 × 80 ellipse outline on a transparent background whose colour under the alpha is
    // black, as painting programs save it.
    QImage drawn(100, 80, QImage::Format_ARGB32);
    drawn.fill(Qt::transparent);
    {
        QPainter painter(&drawn);
        painter.setPen(Qt::black);
        painter.drawEllipse(QRect(0, 0, 99, 79));
    }
    int opaque = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            opaque += qAlpha(drawn.pixel(x, y)) == 255 ? 1 : 0;
        }
    }
    ASSERT_GT(opaque, 200);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("ellipse.png"));
    ASSERT_TRUE(drawn.save(path, "PNG"));

    const std::optional<QImage> decoded = DecodePictureFile(path);
    ASSERT_TRUE(decoded.has_value());
    const QImage canvas = ComposedCanvas(CanvasPicture(*decoded), decoded->size());
    EXPECT_EQ(canvas.pixel(50, 40), qRgb(255, 255, 255));
    EXPECT_EQ(PlanPicture(canvas, ExtractionSettings{}, RunModes{}).linePixels, opaque);
}

}  // namespace
}  // namespace stylorex
