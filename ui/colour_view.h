#pragma once

#include "engine/drawing_run.h"

#include <QImage>
#include <QString>

namespace stylorex {

// What the extraction preview shows of `picture` under `settings`: in colour, the picture
// brought down to the palette's inks, in their colours; otherwise the line pixels a run draws
// (ExtractionPreview).
QImage RunPreview(const QImage& picture, const RunSettings& settings);

}  // namespace stylorex
