#pragma once

#include "engine/colour_plan.h"
#include "engine/drawing_run.h"
#include "engine/run_events.h"
#include "engine/run_plan.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>

class QProgressBar;
class QWidget;
class QTimer;

namespace stylorex {

class StatusPanel;

// The plan panel: "180本 1,787px 約9秒" (strokes, line pixels, the estimated time).
QString PlanText(const RunPlan& plan, std::chrono::milliseconds time);
// The plan panel of a run in colour: "3色 180本 1,787px 約9秒", and " 省略 12本" behind it when
// the time limit leaves strokes out; its tool tip gives each ink's strokes, pixels and time, and
// what is left out of it.
struct ColourPlanPanel {
    QString text;
    QString toolTip;
};
ColourPlanPanel ColourPlanTexts(const ColourPlan& plan);
// The progress bar's text: strokes done of all and the time left.
QString ProgressText(const RunProgress& progress);
// What the emptied progress bar says after Esc while "続きを描く" can go on.
QString ResumeHintText();

// What the run would draw from `picture` (the persistent image) under `extraction`: its line
// pixels in a strong colour over a faded copy of the picture, as an opaque image of its size.
QImage ExtractionPreview(const QImage& picture, const ExtractionSettings& extraction);

// What a plan is made of: the picture a run would scan and the settings it would read.
struct PlanInput {
    QImage picture;
    RunSettings settings;
};

// The two panels the status bar's second row gains: the plan of the next run, refreshed a
// moment after the last change asked for it (a drag of the extraction slider or a painter
// stroke asks many times), and the progress of the run in progress.
class RunPanels : public QObject {
    Q_OBJECT
  public:
    // The quiet time after the last request before the plan is made.
    static constexpr std::chrono::milliseconds kPlanDelay{150};

    // Puts the panels first in `row` (a widget with a box layout); `input` gives what the plan
    // is made of.
    RunPanels(QWidget& row, std::function<PlanInput()> input, QObject* parent = nullptr);

    // The picture or a setting the plan depends on changed.
    void requestPlan();
    // A run's progress report (RunObserver::progressed).
    void showProgress(const RunProgress& progress);
    // An empty bar: no run in progress and none completed since the last reset.
    void resetProgress();
    // On the emptied bar after Esc, while the run can be resumed: ResumeHintText().
    void showResumeHint(bool resumable);
    // What the bar says, whole (its face may cut a text far longer than usual short).
    QString progressText() const;

  private:
    void showPlan();
    void showProgressText(const QString& text);

    std::function<PlanInput()> input_;
    StatusPanel* plan_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QTimer* planTimer_ = nullptr;
};

}  // namespace stylorex
