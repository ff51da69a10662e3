#include "ui/colour_view.h"

#include "engine/palette.h"
#include "ui/run_panels.h"

namespace stylorex {

QImage RunPreview(const QImage& picture, const RunSettings& settings) {
    if (!settings.colour) {
        return ExtractionPreview(picture, settings.extraction);
    }
    const InkColours inks = InkColoursOf(settings.colour->palette);
    return ReduceToInks(picture, inks, settings.colour->dithering).image(inks);
}

}  // namespace stylorex
