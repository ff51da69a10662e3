#include "cli/colour_command.h"

#include "os/regular_file.h"

#include <QJsonObject>
#include <QStringList>

#include <chrono>

namespace stylorex {

namespace {

// A palette file is a few dozen short lines.
constexpr qint64 kLargestPaletteFile = 64 * 1024;

double secondsOf(std::chrono::milliseconds time) {
    return std::chrono::duration<double>(time).count();
}

QString secondsText(std::chrono::milliseconds time) {
    return QStringLiteral("%1 秒").arg(secondsOf(time), 0, 'f', 1);
}

}  // namespace

std::optional<std::vector<Swatch>> ReadPaletteFile(const QString& path, ScreenReader* screen,
                                                   QString& error) {
    QByteArray bytes;
    QString why;
    if (ReadRegularFile(path, bytes, kLargestPaletteFile, &why) != FileRead::Read) {
        error = QStringLiteral("パレットのファイルを読めません: %1（%2）").arg(path, why);
        return std::nullopt;
    }
    const PaletteFile file = ParsePaletteFile(QString::fromUtf8(bytes));
    if (!file.errors.isEmpty()) {
        error = QStringLiteral("パレットのファイル %1 の誤り:\n").arg(path) +
                file.errors.join(QLatin1Char('\n'));
        return std::nullopt;
    }
    if (file.entries.empty()) {
        error = QStringLiteral("パレットのファイルにスウォッチがありません: %1").arg(path);
        return std::nullopt;
    }
    std::vector<Swatch> swatches;
    for (const SwatchEntry& entry : file.entries) {
        std::optional<QRgb> ink = entry.ink;
        if (!ink && screen != nullptr) {
            ink = screen->pixel(entry.at);
        }
        if (!ink) {
            error = QStringLiteral(
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

QString ColourPlanText(const ColourPlan& plan) {
    QStringList lines;
    for (const InkPass& pass : plan.passes) {
        QString line =
            QStringLiteral("インク %1（スウォッチ %2）: ストローク %3、ピクセル %4、推定 %5")
                .arg(HexColourText(pass.ink))
                .arg(pass.swatch + 1)
                .arg(pass.plan.strokes)
                .arg(pass.plan.linePixels)
                .arg(secondsText(pass.time));
        if (pass.leftOut.strokes > 0) {
            line += QStringLiteral("（省略: ストローク %1、ピクセル %2、%3）")
                        .arg(pass.leftOut.strokes)
                        .arg(pass.leftOut.linePixels)
                        .arg(secondsText(pass.leftOutTime));
        }
        lines << line;
    }
    const RunPlan leftOut = plan.leftOut();
    if (leftOut.strokes > 0) {
        lines << QStringLiteral("制限時間で省略: ストローク %1、ピクセル %2")
                     .arg(leftOut.strokes)
                     .arg(leftOut.linePixels);
    }
    return lines.join(QLatin1Char('\n'));
}

QJsonArray ColourPlanJson(const ColourPlan& plan) {
    QJsonArray inks;
    for (const InkPass& pass : plan.passes) {
        inks.append(QJsonObject{
            {QStringLiteral("ink"), HexColourText(pass.ink)},
            {QStringLiteral("swatch"), static_cast<int>(pass.swatch) + 1},
            {QStringLiteral("strokes"), pass.plan.strokes},
            {QStringLiteral("pixels"), pass.plan.linePixels},
            {QStringLiteral("estimated_seconds"), secondsOf(pass.time)},
            {QStringLiteral("left_out"),
             QJsonObject{{QStringLiteral("strokes"), pass.leftOut.strokes},
                         {QStringLiteral("pixels"), pass.leftOut.linePixels},
                         {QStringLiteral("estimated_seconds"), secondsOf(pass.leftOutTime)}}},
        });
    }
    return inks;
}

QJsonArray InkTallyJson(const RunCheck& check) {
    QJsonArray inks;
    for (const RunCheck::InkTally& tally : check.inks) {
        inks.append(QJsonObject{{QStringLiteral("ink"), HexColourText(tally.ink)},
                                {QStringLiteral("missing"), tally.missing},
                                {QStringLiteral("extra"), tally.extra}});
    }
    return inks;
}

}  // namespace stylorex
