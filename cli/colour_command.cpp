#include "cli/colour_command.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <QStringList>

#include <chrono>

namespace stylorex {

namespace {

double secondsOf(std::chrono::milliseconds time) {
    return std::chrono::duration<double>(time).count();
}

QString secondsText(std::chrono::milliseconds time) {
    return QCoreApplication::translate("ColourCommand", "%1 秒").arg(secondsOf(time), 0, 'f', 1);
}

}  // namespace

QString ColourPlanText(const ColourPlan& plan) {
    QStringList lines;
    for (const InkPass& pass : plan.passes) {
        QString line =
            QCoreApplication::translate(
                "ColourCommand", "インク %1（スウォッチ %2）: ストローク %3、ピクセル %4、推定 %5")
                .arg(HexColourText(pass.ink))
                .arg(pass.swatch + 1)
                .arg(pass.plan.strokes)
                .arg(pass.plan.linePixels)
                .arg(secondsText(pass.time));
        if (pass.leftOut.strokes > 0) {
            line += QCoreApplication::translate("ColourCommand",
                                                "（省略: ストローク %1、ピクセル %2、%3）")
                        .arg(pass.leftOut.strokes)
                        .arg(pass.leftOut.linePixels)
                        .arg(secondsText(pass.leftOutTime));
        }
        lines << line;
    }
    const RunPlan leftOut = plan.leftOut();
    if (leftOut.strokes > 0) {
        lines << QCoreApplication::translate("ColourCommand",
                                             "制限時間で省略: ストローク %1、ピクセル %2")
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
