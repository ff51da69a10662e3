#include "cli/plan_drawing.h"

#include "canvas/canvas_image.h"
#include "engine/run_plan.h"

#include <QColor>

#include <cstdint>
#include <utility>
#include <vector>

namespace stylorex {

namespace {

// Hue 240 (blue) for the first of `count` strokes down to 0 (red) for the last.
QRgb rampColour(std::int32_t stroke, std::int32_t count) {
    const int hue = count > 1 ? 240 - static_cast<int>(240LL * stroke / (count - 1)) : 240;
    return QColor::fromHsv(hue, 255, 255).rgb();
}

// WalkRun's visitor: every line pixel with its stroke's number, moves not joined.
struct StrokePixels {
    std::vector<std::pair<std::int32_t, PixelPoint>> pixels;
    std::int32_t strokes = 0;

    void start(PixelPoint p) { pixels.emplace_back(strokes, p); }
    bool move(PixelPoint p, bool) {
        pixels.emplace_back(strokes, p);
        return true;
    }
    void end(PixelPoint) { ++strokes; }
};

}  // namespace

PlanDrawing DrawPlan(const QImage& canvas, const ScanTables& tables) {
    return DrawPlan(canvas, std::vector<const ScanTables*>{&tables});
}

PlanDrawing DrawPlan(const QImage& canvas, const std::vector<const ScanTables*>& passes) {
    StrokePixels walk;
    for (const ScanTables* tables : passes) {
        ScanTables walked = *tables;
        WalkRun(walked, false, walk);
    }

    PlanDrawing plan;
    plan.image = canvas.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < plan.image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(plan.image.scanLine(y));
        for (int x = 0; x < plan.image.width(); ++x) {
            row[x] = FadedColour(row[x]);
        }
    }
    for (const auto& [stroke, p] : walk.pixels) {
        plan.image.setPixel(p.X, p.Y, rampColour(stroke, walk.strokes));
    }
    return plan;
}

}  // namespace stylorex
