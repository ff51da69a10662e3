#pragma once

#include "engine/colour_settings.h"
#include "engine/palette.h"
#include "settings/persistent_settings.h"

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

}  // namespace stylorex
