#pragma once

#include "engine/colour_reduction.h"
#include "engine/palette.h"

#include <chrono>
#include <optional>

namespace stylorex {

// The order in which a colour run draws its inks.
enum class InkOrder {
    // The ink with the most pixels first, and the darkest ink last, so that outlines end on top.
    ByPixels,
    Palette,  // the palette's order
};

// How a picture is drawn in the target's own colours: reduced to the palette's inks, then one
// ink after another, each after a click on its swatch (engine/colour_run.h).
struct ColourSettings {
    Palette palette;
    Dithering dithering = Dithering::Nearest;
    InkOrder order = InkOrder::ByPixels;
    // Only what fits in this time by the plan's estimate is drawn, the longest strokes first
    // (engine/colour_plan.h); none: everything.
    std::optional<std::chrono::milliseconds> within;

    friend bool operator==(const ColourSettings&, const ColourSettings&) = default;
};

}  // namespace stylorex
