#pragma once

#include "common/setting_limits.h"

#include <QPoint>
#include <QRgb>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace stylorex {

// One colour swatch of the target program: where to click on the screen, and the ink that click
// gives (read from the screen there when it was captured, or set by the user where the swatch
// shows another colour than it paints).
struct Swatch {
    QPoint at;
    QRgb ink = 0;

    friend bool operator==(const Swatch&, const Swatch&) = default;
};

// The target's colours as the colour run uses them, in the user's order.
struct Palette {
    static constexpr int kMostSwatches = stylorex::kMostSwatches;

    std::vector<Swatch> swatches;
    // The target canvas's colour: pixels nearest to it are never drawn.
    QRgb background = qRgb(255, 255, 255);

    friend bool operator==(const Palette&, const Palette&) = default;
};

// A swatch as written in a palette file or the settings: "X,Y" or "X,Y #RRGGBB". Without a
// colour the swatch's ink is to be read from the screen.
struct SwatchEntry {
    QPoint at;
    std::optional<QRgb> ink;
};

std::optional<SwatchEntry> ParseSwatchEntry(const QString& text);
QString SwatchEntryText(const Swatch& swatch);
// "#RRGGBB" (either case) to a colour; nothing for anything else.
std::optional<QRgb> ParseHexColour(const QString& text);
QString HexColourText(QRgb colour);

// A palette file: one swatch per line; blank lines and lines starting with '#' are skipped.
struct PaletteFile {
    std::vector<SwatchEntry> entries;
    // "line 3: ..." for each line that is not a swatch; empty when the file is good.
    QStringList errors;
};
PaletteFile ParsePaletteFile(const QString& text);

}  // namespace stylorex
