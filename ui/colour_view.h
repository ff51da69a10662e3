#pragma once

#include "engine/colour_plan.h"
#include "engine/drawing_run.h"

#include <QImage>
#include <QString>

namespace stylorex {

// What the extraction preview shows of `picture` under `settings`: in colour, the picture
// brought down to the palette's inks, in their colours; otherwise the line pixels a run draws
// (ExtractionPreview).
QImage RunPreview(const QImage& picture, const RunSettings& settings);

// The plan panel of a run in colour: "3色 180本 1,787px 約9秒", and " 省略 12本" behind it when
// the time limit leaves strokes out; its tool tip gives each ink's strokes, pixels and time, and
// what is left out of it.
struct ColourPlanPanel {
    QString text;
    QString toolTip;
};
ColourPlanPanel ColourPlanTexts(const ColourPlan& plan);

}  // namespace stylorex
