#pragma once

#include "engine/colour_plan.h"
#include "engine/palette.h"
#include "engine/run_check.h"
#include "os/screen_reader.h"

#include <QJsonArray>
#include <QString>

#include <optional>
#include <vector>

// What `stylorex draw` does in colour besides a one-ink run: the palette file, and the plan and
// the check of a run in colour, in words and as JSON.

namespace stylorex {

// The swatches of the palette file at `path` (ParsePaletteFile), each with the colour its line
// gives or, where it gives none, the colour `screen` shows at its point now. Nothing, and `error`
// says why, when the file cannot be read, a line is not a swatch, it holds no swatch, or a colour
// is to be read from a screen that cannot be read.
std::optional<std::vector<Swatch>> ReadPaletteFile(const QString& path, ScreenReader* screen,
                                                   QString& error);

// The plan's lines for each ink, "インク #FF0000（スウォッチ 2）: ストローク 12、ピクセル 340、
// 推定 1.2 秒", with what the time budget leaves out of it, and the total left out.
QString ColourPlanText(const ColourPlan& plan);
// The same per ink: ink, swatch (from 1), strokes, pixels, estimated_seconds, and left_out with
// strokes, pixels and estimated_seconds.
QJsonArray ColourPlanJson(const ColourPlan& plan);
// A check's tally per ink: ink, missing, extra.
QJsonArray InkTallyJson(const RunCheck& check);

}  // namespace stylorex
