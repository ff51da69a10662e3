#include "cli/run_plan.h"

#include "engine/stroke_trace.h"

#include <QColor>

#include <algorithm>
#include <utility>
#include <vector>

namespace stylorex {

namespace {

// Hue 240 (blue) for the first of `count` strokes down to 0 (red) for the last.
QRgb rampColour(std::int32_t stroke, std::int32_t count) {
    const int hue = count > 1 ? 240 - static_cast<int>(240LL * stroke / (count - 1)) : 240;
    return QColor::fromHsv(hue, 255, 255).rgb();
}

int faded(int channel) {
    return 255 - (255 - channel) / 4;
}

}  // namespace

RunPlan PlanRun(const QImage& canvas, const RunSettings& settings, const PlanVisitor& visit) {
    ScanTables tables;
    ScanPicture(canvas, settings.extraction, tables);
    RunPlan plan;
    int left = 0;
    int top = 0;
    int right = -1;
    int bottom = -1;
    auto note = [&](PixelPoint p) {
        if (plan.pixels == 0) {
            left = right = p.X;
            top = bottom = p.Y;
        } else {
            left = std::min<int>(left, p.X);
            right = std::max<int>(right, p.X);
            top = std::min<int>(top, p.Y);
            bottom = std::max<int>(bottom, p.Y);
        }
        ++plan.pixels;
        if (visit) {
            visit(plan.strokes, p);
        }
    };
    StrokeWalker walker(tables);
    PixelPoint p;
    while (walker.nextStroke(p)) {
        note(p);
        while (walker.nextPoint(p)) {
            ++plan.movesInStrokes;
            note(p);
        }
        ++plan.strokes;
    }
    plan.estimatedTime = std::chrono::milliseconds(plan.movesInStrokes * settings.WaitTime);
    if (plan.pixels > 0) {
        plan.bounds = QRect(QPoint(left, top), QPoint(right, bottom));
    }
    return plan;
}

QImage PlanImage(const QImage& canvas, const RunSettings& settings) {
    std::vector<std::pair<std::int32_t, PixelPoint>> pixels;
    const RunPlan plan = PlanRun(canvas, settings, [&pixels](std::int32_t stroke, PixelPoint p) {
        pixels.emplace_back(stroke, p);
    });
    QImage image = canvas.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            row[x] = qRgb(faded(qRed(row[x])), faded(qGreen(row[x])), faded(qBlue(row[x])));
        }
    }
    for (const auto& [stroke, p] : pixels) {
        image.setPixel(p.X, p.Y, rampColour(stroke, plan.strokes));
    }
    return image;
}

}  // namespace stylorex
