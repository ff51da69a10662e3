#include "cli/draw_reports.h"

#include "cli/colour_command.h"
#include "cli/plan_drawing.h"
#include "engine/run_plan.h"
#include "imaging/image_file.h"
#include "run/run_texts.h"
#include "run/stop_reason.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>

#include <chrono>
#include <functional>
#include <utility>

namespace stylorex {

namespace {

QString seconds(double value) {
    return QCoreApplication::translate("DrawReports", "%1 秒").arg(value, 0, 'f', 1);
}

QJsonObject point(QPoint p) {
    return {{QStringLiteral("x"), p.x()}, {QStringLiteral("y"), p.y()}};
}

QJsonObject rectangle(const QRect& r) {
    return {{QStringLiteral("x"), r.x()},
            {QStringLiteral("y"), r.y()},
            {QStringLiteral("width"), r.width()},
            {QStringLiteral("height"), r.height()}};
}

QString compact(const QJsonObject& json) {
    return QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact));
}

QString modesText(const RunModes& modes) {
    QStringList on;
    if (modes.FollowTarget) {
        on << QCoreApplication::translate("DrawReports", "追従");
    }
    if (modes.JoinRuns) {
        on << QCoreApplication::translate("DrawReports", "直線をつなぐ");
    }
    if (modes.PenWidth > 1) {
        on << QCoreApplication::translate("DrawReports", "ペン %1px").arg(modes.PenWidth);
    }
    return on.isEmpty() ? QString()
                        : QCoreApplication::translate("DrawReports", "、") +
                              on.join(QCoreApplication::translate("DrawReports", "、"));
}

// What a plan shows, in either form.
struct PlanFacts {
    const DrawJobPlan& job;
    const RunSettings& settings;
    const RunPlan& plan;
    const ColourPlan* colour;
    QRect onScreen;
    // Only with a display is the screen known.
    bool leavesScreen;
    double estimatedSeconds;
    QString planImage;  // the plan's picture as written; empty: none
};

QString planText(const PlanFacts& f) {
    QString text =
        QCoreApplication::translate("DrawReports",
                                    "ストローク: %1\nストローク内の移動: %2\n線のピクセル: %3\n"
                                    "推定時間: %4（ウェイト %5 ms%6）\n")
            .arg(f.plan.strokes)
            .arg(f.plan.moves)
            .arg(f.plan.linePixels)
            .arg(seconds(f.estimatedSeconds))
            .arg(f.settings.WaitTime)
            .arg(modesText(f.settings.modes));
    text += f.onScreen.isEmpty()
                ? QCoreApplication::translate("DrawReports",
                                              "画面上の範囲: なし（線のピクセルがありません）")
                : QCoreApplication::translate("DrawReports",
                                              "画面上の範囲: (%1, %2) から (%3, %4) まで、%5 × %6")
                      .arg(f.onScreen.left())
                      .arg(f.onScreen.top())
                      .arg(f.onScreen.right())
                      .arg(f.onScreen.bottom())
                      .arg(f.onScreen.width())
                      .arg(f.onScreen.height());
    if (f.leavesScreen) {
        text += QCoreApplication::translate("DrawReports", "\n%1（画面 %2 × %3）")
                    .arg(RefusalText({RunRefusal::Reason::LeavesScreen, {}}))
                    .arg(f.job.screen->width())
                    .arg(f.job.screen->height());
    }
    if (f.colour != nullptr) {
        text += QStringLiteral("\n") + ColourPlanText(*f.colour);
    }
    if (!f.planImage.isEmpty()) {
        text += QCoreApplication::translate("DrawReports", "\n計画の画像: %1").arg(f.planImage);
    }
    return text;
}

QString planJson(const PlanFacts& f) {
    QJsonObject json{
        {QStringLiteral("strokes"), f.plan.strokes},
        {QStringLiteral("moves_in_strokes"), static_cast<qint64>(f.plan.moves)},
        {QStringLiteral("waits"), static_cast<qint64>(f.plan.waits)},
        {QStringLiteral("pixels"), f.plan.linePixels},
        {QStringLiteral("wait_ms"), f.settings.WaitTime},
        {QStringLiteral("follow"), f.settings.modes.FollowTarget},
        {QStringLiteral("join_runs"), f.settings.modes.JoinRuns},
        {QStringLiteral("pen"), f.settings.modes.PenWidth},
        {QStringLiteral("estimated_seconds"), f.estimatedSeconds},
        {QStringLiteral("origin"), point(f.job.request.origin())},
        {QStringLiteral("picture"), QJsonObject{{QStringLiteral("width"), f.job.canvas.width()},
                                                {QStringLiteral("height"), f.job.canvas.height()}}},
        {QStringLiteral("bounds"),
         f.onScreen.isEmpty() ? QJsonValue() : QJsonValue(rectangle(f.onScreen))},
        {QStringLiteral("leaves_screen"),
         f.job.screen.has_value() ? QJsonValue(f.leavesScreen) : QJsonValue()},
    };
    if (!f.planImage.isEmpty()) {
        json.insert(QStringLiteral("plan_image"), f.planImage);
    }
    if (f.colour != nullptr) {
        json.insert(QStringLiteral("inks"), ColourPlanJson(*f.colour));
    }
    return compact(json);
}

// --plan: the plan in one form, and its picture where asked; no run.
class PlanReporter : public DrawReporter {
  public:
    using Form = std::function<QString(const PlanFacts&)>;
    PlanReporter(Terminal& terminal, QString planImage, Form form)
        : terminal_(terminal), planImage_(std::move(planImage)), form_(std::move(form)) {}

    bool draws() const override { return false; }
    bool plan(const DrawJobPlan& job) override {
        const RunRequest& request = job.request;
        const RunSettings& settings = request.settings();
        const ColourPlan* colour = request.colourPlan();
        QString why;
        if (!planImage_.isEmpty() &&
            !WriteNamedPngFile(DrawPlan(job.canvas, request.passTables()).image, planImage_,
                               &why)) {
            terminal_.message(
                QCoreApplication::translate("DrawReports", "計画の画像を書けません: %1（%2）")
                    .arg(planImage_, why));
            return false;
        }
        const std::chrono::milliseconds estimated =
            colour != nullptr ? colour->time()
                              : EstimatedRunTime(request.plan(),
                                                 ExpectedWaitMs(settings.modes, settings.WaitTime));
        const PlanFacts facts{job,
                              settings,
                              request.plan(),
                              colour,
                              request.bounds(),
                              job.screen.has_value() && request.leavesScreen(*job.screen),
                              std::chrono::duration<double>(estimated).count(),
                              planImage_};
        terminal_.result(form_(facts));
        return true;
    }
    void result(const DrawJobReport&) override {}

  private:
    Terminal& terminal_;
    QString planImage_;
    Form form_;
};

// A run's result in words: what was drawn, the check, each ink's tally; or what stopped it.
class TextReporter : public DrawReporter {
  public:
    explicit TextReporter(Terminal& terminal) : terminal_(terminal) {}

    bool draws() const override { return true; }
    bool plan(const DrawJobPlan&) override { return true; }
    void result(const DrawJobReport& r) override {
        if (r.aborted) {
            terminal_.result(
                QCoreApplication::translate("DrawReports",
                                            "中断しました（%1）: %2 ストロークのうち %3 を描画、%4")
                    .arg(r.stoppedBy ? StopReasonText(*r.stoppedBy)
                                     : QCoreApplication::translate("DrawReports", "シグナル"))
                    .arg(r.plan.strokes)
                    .arg(r.strokesDrawn)
                    .arg(seconds(r.elapsedSeconds)));
            return;
        }
        QString text = QCoreApplication::translate("DrawReports",
                                                   "描画しました: %1 ストローク、%2 ピクセル、%3")
                           .arg(r.strokesDrawn)
                           .arg(r.plan.linePixels)
                           .arg(seconds(r.elapsedSeconds));
        text += QStringLiteral("\n") + CheckPanelText(r.check);
        if (r.check.outcome == RunCheck::Outcome::Checked) {
            for (const RunCheck::InkTally& ink : r.check.inks) {
                text += QStringLiteral("\n  ") + InkTallyText(ink);
            }
        }
        terminal_.result(text);
    }

  private:
    Terminal& terminal_;
};

QString outcomeName(RunCheck::Outcome outcome) {
    switch (outcome) {
        case RunCheck::Outcome::None:
            return QStringLiteral("none");
        case RunCheck::Outcome::Checked:
            return QStringLiteral("checked");
        case RunCheck::Outcome::OwnWindowCovers:
            return QStringLiteral("own_window_covers");
        case RunCheck::Outcome::LeavesScreen:
            return QStringLiteral("leaves_screen");
        case RunCheck::Outcome::Unreadable:
            return QStringLiteral("unreadable");
        case RunCheck::Outcome::NothingChanged:
            return QStringLiteral("nothing_changed");
    }
    return {};
}

QJsonValue checkJson(const RunCheck& check) {
    if (check.outcome == RunCheck::Outcome::None) {
        return QJsonValue();
    }
    QJsonObject json{{QStringLiteral("outcome"), outcomeName(check.outcome)},
                     {QStringLiteral("tolerance"), check.tolerance},
                     {QStringLiteral("followed"), check.followed},
                     {QStringLiteral("fell_back"), check.fellBack}};
    if (check.outcome == RunCheck::Outcome::Checked) {
        json.insert(QStringLiteral("missing"), static_cast<qint64>(check.missing.size()));
        json.insert(QStringLiteral("extra"), static_cast<qint64>(check.extra.size()));
        if (!check.inks.empty()) {
            json.insert(QStringLiteral("inks"), InkTallyJson(check));
        }
    }
    return json;
}

// --json: a run's result as one line of JSON.
class JsonReporter : public DrawReporter {
  public:
    explicit JsonReporter(Terminal& terminal) : terminal_(terminal) {}

    bool draws() const override { return true; }
    bool plan(const DrawJobPlan&) override { return true; }
    void result(const DrawJobReport& r) override {
        QJsonObject json{
            {QStringLiteral("result"),
             r.aborted ? QStringLiteral("aborted") : QStringLiteral("drawn")},
            {QStringLiteral("strokes_drawn"), r.strokesDrawn},
            {QStringLiteral("strokes"), r.plan.strokes},
            {QStringLiteral("pixels"), r.plan.linePixels},
            {QStringLiteral("wait_ms"), r.settings.WaitTime},
            {QStringLiteral("follow"), r.settings.modes.FollowTarget},
            {QStringLiteral("join_runs"), r.settings.modes.JoinRuns},
            {QStringLiteral("pen"), r.settings.modes.PenWidth},
            {QStringLiteral("elapsed_seconds"), r.elapsedSeconds},
            {QStringLiteral("origin"), point(r.origin)},
            {QStringLiteral("check"), checkJson(r.check)},
        };
        if (r.aborted) {
            json.insert(QStringLiteral("reason"),
                        r.stoppedBy ? StopReasonName(*r.stoppedBy) : QStringLiteral("signal"));
        } else {
            json.insert(QStringLiteral("exact"), r.check.exact());
        }
        terminal_.result(compact(json));
    }

  private:
    Terminal& terminal_;
};

}  // namespace

std::unique_ptr<DrawReporter> MakeDrawReporter(const DrawOptions& options, Terminal& terminal) {
    if (options.plan) {
        return std::make_unique<PlanReporter>(terminal, options.planImage,
                                              options.json ? planJson : planText);
    }
    if (options.json) {
        return std::make_unique<JsonReporter>(terminal);
    }
    return std::make_unique<TextReporter>(terminal);
}

}  // namespace stylorex
