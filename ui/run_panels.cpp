#include "ui/run_panels.h"

#include "canvas/canvas_image.h"
#include "common/colour.h"
#include "engine/palette.h"
#include "ui/status_panel.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLocale>
#include <QPalette>
#include <QProgressBar>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace stylorex {

namespace {

constexpr int kPanelHeight = 15;

// Whole seconds, rounded; a run of any length shows at least one.
qint64 RoundedSeconds(std::chrono::milliseconds time, bool anything) {
    const qint64 seconds = (time.count() + 500) / 1000;
    return anything ? std::max<qint64>(1, seconds) : seconds;
}

QString Grouped(qint64 n) {
    // "1,787" whatever the user's locale says.
    return QLocale::c().toString(n);
}

}  // namespace

QString PlanText(const RunPlan& plan, std::chrono::milliseconds time) {
    return QCoreApplication::translate("RunPanels", "%1本 %2px 約%3秒")
        .arg(Grouped(plan.strokes), Grouped(plan.linePixels),
             Grouped(RoundedSeconds(time, plan.strokes > 0)));
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

QString ProgressText(const RunProgress& progress) {
    return QCoreApplication::translate("RunPanels", "%1/%2本 残り約%3秒")
        .arg(Grouped(progress.strokesDone), Grouped(progress.strokesTotal),
             Grouped(RoundedSeconds(progress.timeLeft, false)));
}

QString ResumeHintText() {
    return QCoreApplication::translate("RunPanels", "Ctrl+R で続きを描く");
}

QImage ExtractionPreview(const QImage& picture, const ExtractionSettings& extraction) {
    QImage preview = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < preview.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(preview.scanLine(y));
        for (int x = 0; x < preview.width(); ++x) {
            const QRgb rgb = line[x];
            if (IsLinePixel(SplitRGB(PackRGB(qRed(rgb), qGreen(rgb), qBlue(rgb))), extraction)) {
                line[x] = qRgb(255, 0, 0);
            } else {
                line[x] = FadedColour(rgb);
            }
        }
    }
    return preview;
}

RunPanels::RunPanels(QWidget& row, std::function<PlanInput()> input, QObject* parent)
    : QObject(parent), input_(std::move(input)) {
    setObjectName(QStringLiteral("runPanels"));
    auto* layout = qobject_cast<QBoxLayout*>(row.layout());
    plan_ = new StatusPanel(&row);
    plan_->setObjectName(QStringLiteral("StatusBar1_plan"));
    plan_->setFixedHeight(kPanelHeight);
    plan_->setFrameShape(QFrame::Panel);
    plan_->setFrameShadow(QFrame::Sunken);
    plan_->setContentsMargins(2, 0, 2, 0);
    // Like panel 5, they share the row and never widen the window; the tool tips hold the whole
    // texts.
    plan_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    layout->insertWidget(0, plan_, 3);

    progress_ = new QProgressBar(&row);
    progress_->setObjectName(QStringLiteral("StatusBar1_progress"));
    progress_->setFixedHeight(kPanelHeight);
    progress_->setTextVisible(true);
    progress_->setAlignment(Qt::AlignCenter);
    // At 8.25 pt in a 15 px bar, white text over the style's dark chunk is hard to read: a light
    // chunk and dark text read the same over the done and the left part.
    QPalette palette = progress_->palette();
    palette.setColor(QPalette::Highlight, QColor(0xA8, 0xD8, 0xA8));
    palette.setColor(QPalette::HighlightedText, Qt::black);
    progress_->setPalette(palette);
    progress_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    layout->insertWidget(1, progress_, 3);
    resetProgress();

    planTimer_ = new QTimer(this);
    planTimer_->setSingleShot(true);
    planTimer_->setInterval(kPlanDelay);
    connect(planTimer_, &QTimer::timeout, this, &RunPanels::showPlan);
}

void RunPanels::requestPlan() {
    planTimer_->start();
}

void RunPanels::showPlan() {
    const PlanInput in = input_();
    if (in.settings.colour) {
        const ColourPlanPanel panel = ColourPlanTexts(
            PlanColours(in.picture, *in.settings.colour, in.settings.modes, in.settings.WaitTime));
        plan_->setWholeText(panel.text);
        plan_->setDetails(panel.toolTip);
        return;
    }
    const RunPlan plan = PlanPicture(in.picture, in.settings.extraction, in.settings.modes);
    plan_->setWholeText(PlanText(
        plan, EstimatedRunTime(plan, ExpectedWaitMs(in.settings.modes, in.settings.WaitTime))));
    plan_->setDetails(QString());
}

void RunPanels::showProgress(const RunProgress& progress) {
    progress_->setMaximum(std::max(1, progress.strokesTotal));
    progress_->setValue(progress.strokesDone);
    showProgressText(ProgressText(progress));
}

void RunPanels::resetProgress() {
    progress_->setMaximum(1);
    progress_->setValue(0);
    showProgressText(QString());
}

void RunPanels::showResumeHint(bool resumable) {
    if (progress_->value() == 0 && progress_->maximum() == 1) {
        showProgressText(resumable ? ResumeHintText() : QString());
    }
}

QString RunPanels::progressText() const {
    return progress_->toolTip();
}

void RunPanels::showProgressText(const QString& text) {
    // The bar draws its text centred in its whole width, less a pixel of frame each side.
    const int room = progress_->width() - 4;
    const QFontMetrics metrics = progress_->fontMetrics();
    progress_->setFormat(metrics.horizontalAdvance(text) <= room
                             ? text
                             : metrics.elidedText(text, Qt::ElideRight, room));
    progress_->setToolTip(text);
}

}  // namespace stylorex
