#include "run/palette_settings.h"

#include <QCoreApplication>

#include "os/regular_file.h"

#include <chrono>
#include <optional>

namespace stylorex {

namespace {

// A palette file is a few dozen short lines.
constexpr qint64 kLargestPaletteFile = 64 * 1024;

}  // namespace

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

std::optional<std::vector<Swatch>> ReadPaletteFile(const QString& path, ScreenReader* screen,
                                                   QString& error) {
    QByteArray bytes;
    QString why;
    if (ReadRegularFile(path, bytes, kLargestPaletteFile, &why) != FileRead::Read) {
        error = QCoreApplication::translate("PaletteSettings",
                                            "パレットのファイルを読めません: %1（%2）")
                    .arg(path, why);
        return std::nullopt;
    }
    const PaletteFile file = ParsePaletteFile(QString::fromUtf8(bytes));
    if (!file.errors.isEmpty()) {
        error = QCoreApplication::translate("PaletteSettings", "パレットのファイル %1 の誤り:\n")
                    .arg(path) +
                file.errors.join(QLatin1Char('\n'));
        return std::nullopt;
    }
    if (file.entries.empty()) {
        error = QCoreApplication::translate("PaletteSettings",
                                            "パレットのファイルにスウォッチがありません: %1")
                    .arg(path);
        return std::nullopt;
    }
    std::vector<Swatch> swatches;
    for (const SwatchEntry& entry : file.entries) {
        std::optional<QRgb> ink = entry.ink;
        if (!ink && screen != nullptr) {
            ink = screen->pixel(entry.at);
        }
        if (!ink) {
            error = QCoreApplication::translate("PaletteSettings",
                                                "スウォッチ (%1, %2) の色を画面から読めません。"
                                                "「X,Y #RRGGBB」で色を書いてください。")
                        .arg(entry.at.x())
                        .arg(entry.at.y());
            return std::nullopt;
        }
        swatches.push_back(Swatch{entry.at, *ink});
    }
    return swatches;
}

}  // namespace stylorex
