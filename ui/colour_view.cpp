#include "ui/colour_view.h"

#include "engine/palette.h"
#include "ui/run_panels.h"

#include <QCoreApplication>
#include <QStringList>

namespace stylorex {

QImage RunPreview(const QImage& picture, const RunSettings& settings) {
    if (!settings.colour) {
        return ExtractionPreview(picture, settings.extraction);
    }
    const InkColours inks = InkColoursOf(settings.colour->palette);
    return ReduceToInks(picture, inks, settings.colour->dithering).image(inks);
}

ColourPlanPanel ColourPlanTexts(const ColourPlan& plan) {
    int inks = 0;
    for (const InkPass& pass : plan.passes) {
        inks += pass.plan.strokes > 0 ? 1 : 0;
    }
    const RunPlan leftOut = plan.leftOut();
    ColourPlanPanel panel;
    panel.text = QCoreApplication::translate("ColourView", "%1色 ").arg(inks) +
                 PlanText(plan.total(), plan.time());
    if (leftOut.strokes > 0) {
        panel.text += QCoreApplication::translate("ColourView", " 省略 %1本").arg(leftOut.strokes);
    }
    QStringList lines{panel.text};
    for (const InkPass& pass : plan.passes) {
        QString line = QCoreApplication::translate("ColourView", "%1（スウォッチ %2）: ")
                           .arg(HexColourText(pass.ink))
                           .arg(pass.swatch + 1) +
                       PlanText(pass.plan, pass.time);
        if (pass.leftOut.strokes > 0) {
            line += QCoreApplication::translate("ColourView", "、制限時間で省略 ") +
                    PlanText(pass.leftOut, pass.leftOutTime);
        }
        lines << line;
    }
    panel.toolTip = lines.join(QLatin1Char('\n'));
    return panel;
}

}  // namespace stylorex
