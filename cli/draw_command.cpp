#include "cli/draw_command.h"

#include "cli/countdown_outline.h"
#include "cli/draw_reports.h"
#include "cli/terminal.h"
#include "run/draw_job.h"
#include "run/run_texts.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

namespace stylorex {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kCountdownPoll = std::chrono::milliseconds(20);

QString duration(Clock::duration span) {
    const auto total = std::chrono::duration_cast<std::chrono::seconds>(span).count();
    return QStringLiteral("%1:%2").arg(total / 60).arg(total % 60, 2, 10, QLatin1Char('0'));
}

// "描画中 12/67 ストローク　経過 0:03　残り 約 0:10", from the run's progress reports.
class ProgressLine : public RunObserver {
  public:
    ProgressLine(Terminal& terminal, QString stopHint)
        : terminal_(terminal), stopHint_(std::move(stopHint)), start_(Clock::now()) {}

    void phaseChanged(RunPhase) override {}
    void waitingForKeysUp() override {
        terminal_.show(KeysHeldText() + QCoreApplication::translate("DrawCommand", "　") +
                       stopHint_);
    }
    void checking() override { terminal_.show(CheckingText()); }
    void progressed(const RunProgress& progress) override {
        terminal_.show(
            QCoreApplication::translate("DrawCommand",
                                        "描画中 %1/%2 ストローク　経過 %3　残り 約 %4　%5")
                .arg(progress.strokesDone)
                .arg(progress.strokesTotal)
                .arg(duration(Clock::now() - start_), duration(progress.timeLeft), stopHint_));
    }

  private:
    Terminal& terminal_;
    QString stopHint_;
    Clock::time_point start_;
};

// The command line's face of the draw job: messages, the question and the countdown on the
// terminal, the progress on its live line, the plan and the result through the reporter the
// options ask for.
class TerminalFace : public DrawJobFace {
  public:
    TerminalFace(const DrawOptions& options, Terminal& terminal)
        : options_(options), terminal_(terminal), reporter_(MakeDrawReporter(options, terminal)) {}

    bool draws() const override { return reporter_->draws(); }
    void notice(const QString& text) override { terminal_.message(text); }

    // --yes agrees in advance; a stdin that is not a terminal cannot agree, so a script there
    // must pass --yes.
    Consent consentWithoutEsc(const QString& warning) override {
        if (options_.yes) {
            terminal_.message(warning);
            return Consent::Given;
        }
        if (!Terminal::canAsk()) {
            terminal_.message(warning +
                              QCoreApplication::translate(
                                  "DrawCommand", "それでも描画するには --yes を付けてください。"));
            return Consent::CannotAsk;
        }
        terminal_.message(
            warning + QCoreApplication::translate("DrawCommand", "描画しますか？ [y/N] "), false);
        if (!Terminal::answeredYes()) {
            terminal_.message(QCoreApplication::translate("DrawCommand", "描画をやめました。"));
            return Consent::Declined;
        }
        return Consent::Given;
    }

    // Waits --delay seconds, counting down on the terminal, while signals (through the event
    // loop) and Esc (where the pointer watches it outside a run: X11, not sway) can stop it. The
    // hint names Ctrl+C, which stops it everywhere. Where the outline is shown (X11, a run), it
    // shows where the run will go meanwhile.
    bool countDown(const DrawJobCountdown& countdown) override {
        PointerDevice* pointer = countdown.pointer;
        std::optional<CountdownOutline> outline;
        if (ShowsCountdownOutline(options_) && pointer != nullptr) {
            outline.emplace(countdown.linesAtZero(), countdown.at, *pointer, countdown.screen);
        }
        const Clock::time_point end =
            Clock::now() + std::chrono::duration_cast<Clock::duration>(
                               std::chrono::duration<double>(options_.delaySeconds));
        bool counted = true;
        while (counted && Clock::now() < end) {
            if (outline) {
                outline->update();
            }
            QCoreApplication::processEvents();
            if (countdown.stopped || (pointer != nullptr && pointer->stopWatch().escPressed())) {
                counted = false;
                break;
            }
            const double left = std::chrono::duration<double>(end - Clock::now()).count();
            terminal_.show(QCoreApplication::translate("DrawCommand", "開始まで %1 秒　%2")
                               .arg(static_cast<int>(std::ceil(std::max(left, 0.0))))
                               .arg(QCoreApplication::translate("DrawCommand", "Ctrl+C で中止")));
            std::this_thread::sleep_for(kCountdownPoll);
        }
        if (counted) {
            QCoreApplication::processEvents();
            counted = !countdown.stopped;
        }
        if (outline) {
            // Before the run reads the screen or presses anything.
            outline->withdraw();
        }
        return counted;
    }

    RunObserver* watch(bool escStops) override {
        if (!terminal_.live()) {
            return nullptr;
        }
        progress_.emplace(terminal_,
                          escStops ? QCoreApplication::translate("DrawCommand", "Esc キーで中断")
                                   : QCoreApplication::translate("DrawCommand", "Ctrl+C で中断"));
        return &*progress_;
    }
    bool showPlan(const DrawJobPlan& plan) override { return reporter_->plan(plan); }
    void showResult(const DrawJobReport& report) override { reporter_->result(report); }

  private:
    const DrawOptions& options_;
    Terminal& terminal_;
    std::unique_ptr<DrawReporter> reporter_;
    std::optional<ProgressLine> progress_;
};

DrawJobRequest requestOf(const DrawOptions& options) {
    DrawJobRequest request;
    request.picture = options.picture;
    request.fit = options.fit    ? CanvasFit::Shrink
                  : options.crop ? CanvasFit::Crop
                                 : CanvasFit::Whole;
    request.at = options.at;
    request.atPointer = options.atPointer;
    request.paletteFile = options.paletteFile;
    RunOverrides& overrides = request.overrides;
    overrides.colour = options.colour;
    overrides.background = options.background;
    overrides.dithering = options.dithering;
    if (options.withinSeconds) {
        overrides.within = std::chrono::round<std::chrono::milliseconds>(
            std::chrono::duration<double>(*options.withinSeconds));
    }
    overrides.pickUpPattern = options.mode;
    overrides.blackUpper = options.black;
    overrides.whiteUpper = options.white;
    overrides.waitMs = options.waitMs;
    overrides.followTarget = options.follow;
    overrides.joinRuns = options.joinRuns;
    overrides.penWidth = options.penWidth;
    overrides.check = options.check;
    return request;
}

int exitCodeOf(DrawJobOutcome::End end) {
    switch (end) {
        case DrawJobOutcome::End::Drawn:
        case DrawJobOutcome::End::Planned:
            return exit_code::kDone;
        case DrawJobOutcome::End::NotExact:
            return exit_code::kNotExact;
        case DrawJobOutcome::End::Aborted:
        case DrawJobOutcome::End::NotStarted:
            return exit_code::kAborted;
        case DrawJobOutcome::End::Usage:
            return exit_code::kUsage;
        case DrawJobOutcome::End::Failed:
            break;
    }
    return exit_code::kFailed;
}

}  // namespace

int RunDrawCommand(const DrawOptions& options, std::FILE* out, std::FILE* err) {
    // No window is made but the outline during a countdown, so no display is needed otherwise:
    // the offscreen platform still gives the metafile decoder its fonts. The pointer backends
    // open connections of their own. Where the X server cannot be reached, the offscreen
    // platform serves after all (and the run is refused for want of a pointer).
    char name[] = "stylorex";
    char platformOption[] = "-platform";
    char offscreen[] = "offscreen";
    char x11[] = "xcb;offscreen";
    char* argv[] = {name, platformOption, ShowsCountdownOutline(options) ? x11 : offscreen,
                    nullptr};
    int argc = 3;
    QGuiApplication application(argc, argv);

    Terminal terminal(out, err);
    TerminalFace face(options, terminal);
    const DrawJobOutcome outcome = RunDrawJob(requestOf(options), face);
    if (outcome.end == DrawJobOutcome::End::NotStarted) {
        terminal.result(outcome.message);
    } else if (outcome.end == DrawJobOutcome::End::Usage) {
        terminal.message(outcome.message + QLatin1Char('\n') + HelpHint());
    } else if (!outcome.message.isEmpty()) {
        terminal.message(outcome.message);
    }
    return exitCodeOf(outcome.end);
}

}  // namespace stylorex
