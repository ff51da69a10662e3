#include "engine/palette.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace stylorex {

std::optional<QRgb> ParseHexColour(const QString& text) {
    static const QRegularExpression hex(QStringLiteral("^#([0-9A-Fa-f]{6})$"));
    const QRegularExpressionMatch match = hex.match(text.trimmed());
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    return qRgb(0, 0, 0) | match.captured(1).toUInt(nullptr, 16);
}

QString HexColourText(QRgb colour) {
    return QStringLiteral("#%1").arg(colour & 0xffffffU, 6, 16, QLatin1Char('0')).toUpper();
}

std::optional<SwatchEntry> ParseSwatchEntry(const QString& text) {
    static const QRegularExpression entry(
        QStringLiteral(R"(^\s*(-?\d{1,6})\s*,\s*(-?\d{1,6})(?:\s+(\S+))?\s*$)"));
    const QRegularExpressionMatch match = entry.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    SwatchEntry swatch;
    swatch.at = QPoint(match.captured(1).toInt(), match.captured(2).toInt());
    if (match.hasCaptured(3)) {
        swatch.ink = ParseHexColour(match.captured(3));
        if (!swatch.ink) {
            return std::nullopt;
        }
    }
    return swatch;
}

QString SwatchEntryText(const Swatch& swatch) {
    return QStringLiteral("%1,%2 %3")
        .arg(swatch.at.x())
        .arg(swatch.at.y())
        .arg(HexColourText(swatch.ink));
}

PaletteFile ParsePaletteFile(const QString& text) {
    PaletteFile file;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        if (const std::optional<SwatchEntry> swatch = ParseSwatchEntry(line)) {
            if (static_cast<int>(file.entries.size()) == Palette::kMostSwatches) {
                file.errors << QCoreApplication::translate("Palette",
                                                           "%1 行目: スウォッチは %2 個までです")
                                   .arg(i + 1)
                                   .arg(Palette::kMostSwatches);
                break;
            }
            file.entries.push_back(*swatch);
        } else {
            file.errors << QCoreApplication::translate(
                               "Palette", "%1 行目: 「X,Y」か「X,Y #RRGGBB」ではありません: %2")
                               .arg(i + 1)
                               .arg(line);
        }
    }
    return file;
}

}  // namespace stylorex
