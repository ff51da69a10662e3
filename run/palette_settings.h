#pragma once

#include "engine/colour_settings.h"
#include "engine/palette.h"
#include "os/screen_reader.h"
#include "settings/persistent_settings.h"

#include <QString>

#include <optional>
#include <vector>

namespace stylorex {

// The palette the setting variables hold: each swatch entry that gives a point and a colour
// (others are skipped: the window always stores both), and the background, white unless set.
Palette SavedPalette(const SettingVariables& settings);
// Puts `palette` into the setting variables as the settings file keeps it.
void StorePalette(const Palette& palette, SettingVariables& settings);

// How the setting variables say a colour run goes: the saved palette, the dithering, the order
// of the inks and the time limit.
ColourSettings SavedColourSettings(const SettingVariables& settings);
// Dithering and InkOrder as the setting variables number them (common/setting_limits.h).
Dithering DitheringOf(std::int32_t stored);
InkOrder InkOrderOf(std::int32_t stored);

// The swatches of the palette file at `path` (ParsePaletteFile), each with the colour its line
// gives or, where it gives none, the colour `screen` shows at its point now. Nothing, and `error`
// says why, when the file cannot be read, a line is not a swatch, it holds no swatch, or a colour
// is to be read from a screen that cannot be read.
std::optional<std::vector<Swatch>> ReadPaletteFile(const QString& path, ScreenReader* screen,
                                                   QString& error);

}  // namespace stylorex
