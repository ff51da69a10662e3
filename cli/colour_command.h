#pragma once

#include "engine/colour_plan.h"
#include "engine/run_check.h"

#include <QJsonArray>
#include <QString>

// What `stylorex draw` shows of a run in colour: its plan and its check, in words and as JSON.

namespace stylorex {

// The plan's lines for each ink, "インク #FF0000（スウォッチ 2）: ストローク 12、ピクセル 340、
// 推定 1.2 秒", with what the time budget leaves out of it, and the total left out.
QString ColourPlanText(const ColourPlan& plan);
// The same per ink: ink, swatch (from 1), strokes, pixels, estimated_seconds, and left_out with
// strokes, pixels and estimated_seconds.
QJsonArray ColourPlanJson(const ColourPlan& plan);
// A check's tally per ink: ink, missing, extra.
QJsonArray InkTallyJson(const RunCheck& check);

}  // namespace stylorex
