#include "run/palette_settings.h"

#include <chrono>
#include <optional>

namespace stylorex {

Palette SavedPalette(const SettingVariables& settings) {
    Palette palette;
    for (const QString& text : settings.PaletteSwatches) {
        const std::optional<SwatchEntry> entry = ParseSwatchEntry(text);
        if (entry && entry->ink &&
            static_cast<int>(palette.swatches.size()) < Palette::kMostSwatches) {
            palette.swatches.push_back(Swatch{entry->at, *entry->ink});
        }
    }
    if (const std::optional<QRgb> background = ParseHexColour(settings.PaletteBackground)) {
        palette.background = *background;
    }
    return palette;
}

void StorePalette(const Palette& palette, SettingVariables& settings) {
    settings.PaletteSwatches.clear();
    for (const Swatch& swatch : palette.swatches) {
        settings.PaletteSwatches << SwatchEntryText(swatch);
    }
    settings.PaletteBackground = HexColourText(palette.background);
}

Dithering DitheringOf(std::int32_t stored) {
    switch (stored) {
        case 1:
            return Dithering::Ordered;
        case 2:
            return Dithering::ErrorDiffusion;
        default:
            return Dithering::Nearest;
    }
}

InkOrder InkOrderOf(std::int32_t stored) {
    return stored == 1 ? InkOrder::Palette : InkOrder::ByPixels;
}

ColourSettings SavedColourSettings(const SettingVariables& settings) {
    ColourSettings colour;
    colour.palette = SavedPalette(settings);
    colour.dithering = DitheringOf(settings.Dithering);
    colour.order = InkOrderOf(settings.ColourOrder);
    if (settings.TimeLimit > 0) {
        colour.within = std::chrono::seconds(settings.TimeLimit);
    }
    return colour;
}

}  // namespace stylorex
