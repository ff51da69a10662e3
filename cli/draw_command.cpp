#include "cli/draw_command.h"

#include "canvas/canvas_image.h"
#include "canvas/picture_fit.h"
#include "cli/colour_command.h"
#include "cli/countdown_outline.h"
#include "cli/plan_drawing.h"
#include "common/program_message.h"
#include "engine/run_plan.h"
#include "engine/run_state.h"
#include "imaging/image_file.h"
#include "imaging/picture_decoder.h"
#include "os/pointer_device.h"
#include "os/session_choice.h"
#include "os/termination_signals.h"
#include "run/run_request.h"
#include "run/run_texts.h"
#include "run/stop_reason.h"
#include "settings/ini_profile.h"
#include "settings/persistent_settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <optional>
#include <thread>
#include <utility>
#include <variant>

namespace stylorex {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kCountdownPoll = std::chrono::milliseconds(20);

// Results go to `out`, messages to `err`. When `out` is a terminal, a live line (the countdown,
// the progress) stands on its last row until the next result or message replaces it; when it is
// not, there is no live line at all.
class Terminal {
  public:
    Terminal(std::FILE* out, std::FILE* err)
        : out_(out), err_(err), live_(::isatty(::fileno(out)) == 1) {}

    bool live() const { return live_; }
    void show(const QString& line) {
        if (live_) {
            write(out_, QStringLiteral("\r") + line + QStringLiteral("\x1b[K"));
            shown_ = true;
        }
    }
    void result(const QString& text) {
        clear();
        write(out_, escaped(text) + QLatin1Char('\n'));
    }
    // One line; a question ends without a line break, so the answer follows it.
    void message(const QString& text, bool endLine = true) {
        clear();
        write(err_,
              ProgramMessageText(escaped(text)) + (endLine ? QStringLiteral("\n") : QString()));
    }

  private:
    // Texts hold what files and names hold (a palette file's line, a path): a control character
    // among them is shown as \xNN, so that no file sends the terminal a sequence of its own (a
    // new title, a cleared screen). Line breaks and tabs stay.
    static QString escaped(const QString& text) {
        QString shown;
        shown.reserve(text.size());
        for (const QChar c : text) {
            const char16_t code = c.unicode();
            if ((code < 0x20 && code != u'\n' && code != u'\t') || (code >= 0x7f && code < 0xa0)) {
                shown += QStringLiteral("\\x") +
                         QString::number(code, 16).rightJustified(2, QLatin1Char('0')).toUpper();
            } else {
                shown += c;
            }
        }
        return shown;
    }

    static void write(std::FILE* stream, const QString& text) {
        std::fputs(text.toLocal8Bit().constData(), stream);
        std::fflush(stream);
    }
    void clear() {
        if (shown_) {
            write(out_, QStringLiteral("\r\x1b[K"));
            shown_ = false;
        }
    }

    std::FILE* out_;
    std::FILE* err_;
    bool live_;
    bool shown_ = false;
};

QString seconds(double value) {
    return QStringLiteral("%1 秒").arg(value, 0, 'f', 1);
}

QString duration(Clock::duration span) {
    const auto total = std::chrono::duration_cast<std::chrono::seconds>(span).count();
    return QStringLiteral("%1:%2").arg(total / 60).arg(total % 60, 2, 10, QLatin1Char('0'));
}

double secondsOf(Clock::duration span) {
    return std::chrono::duration<double>(span).count();
}

// The saved settings as the window loads them, then the options given (and the palette file's
// swatches); the command never writes the settings file.
RunSettings settingsFor(const DrawOptions& options, const SettingVariables& saved,
                        const std::optional<std::vector<Swatch>>& swatches) {
    RunOverrides overrides;
    overrides.colour = options.colour;
    overrides.swatches = swatches;
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
    return RunSettingsOf(saved, overrides);
}

// The picture on a canvas of its own size, as the window's canvas holds it after loading it
// (with --fit, as "画像に合わせて読み込む" loads it, scaled as the saved settings say); nothing,
// said on the terminal, when it cannot be read or is too large for a canvas.
std::optional<QImage> canvasOf(const DrawOptions& options, const SettingVariables& saved,
                               Terminal& terminal) {
    if (!QFileInfo::exists(options.picture)) {
        terminal.message(QStringLiteral("画像ファイルがありません: %1").arg(options.picture));
        return std::nullopt;
    }
    QString reason;
    const std::optional<QImage> picture = DecodePictureFile(options.picture, &reason);
    if (!picture) {
        terminal.message(
            QStringLiteral("画像ファイルを読めません: %1\n%2").arg(options.picture, reason));
        return std::nullopt;
    }
    const QSize largest(kLargestCanvasWidth, kLargestCanvasHeight);
    if (options.fit) {
        const QImage fitted = FitPictureWithin(
            *picture, largest,
            saved.SmoothScaling ? PictureScaling::Smooth : PictureScaling::LineArt);
        if (fitted.size() != picture->size()) {
            terminal.message(ShrunkPictureText(fitted.size(), picture->size()));
        }
        return ComposedCanvas(fitted, fitted.size());
    }
    const bool tooLarge =
        picture->width() > kLargestCanvasWidth || picture->height() > kLargestCanvasHeight;
    if (tooLarge && !options.crop) {
        terminal.message(QStringLiteral("画像が大きすぎます（%1 × %2）。描画できるのは %3 × %4 "
                                        "までです。--crop を付けると左上の %3 × %4 を、--fit "
                                        "を付けると縮小して全体を描画します。")
                             .arg(picture->width())
                             .arg(picture->height())
                             .arg(kLargestCanvasWidth)
                             .arg(kLargestCanvasHeight));
        return std::nullopt;
    }
    return ComposedCanvas(CanvasPicture(*picture),
                          QSize(std::min(picture->width(), kLargestCanvasWidth),
                                std::min(picture->height(), kLargestCanvasHeight)));
}

// "描画中 12/67 ストローク　経過 0:03　残り 約 0:10", from the run's progress reports.
class ProgressLine : public RunObserver {
  public:
    ProgressLine(Terminal& terminal, QString stopHint)
        : terminal_(terminal), stopHint_(std::move(stopHint)), start_(Clock::now()) {}

    void phaseChanged(RunPhase) override {}
    void waitingForKeysUp() override {
        terminal_.show(KeysHeldText() + QStringLiteral("　") + stopHint_);
    }
    void checking() override { terminal_.show(CheckingText()); }
    void progressed(const RunProgress& progress) override {
        terminal_.show(
            QStringLiteral("描画中 %1/%2 ストローク　経過 %3　残り 約 %4　%5")
                .arg(progress.strokesDone)
                .arg(progress.strokesTotal)
                .arg(duration(Clock::now() - start_), duration(progress.timeLeft), stopHint_));
    }

  private:
    Terminal& terminal_;
    QString stopHint_;
    Clock::time_point start_;
};

// Waits `delay` seconds, counting down on the terminal, while signals (through the event loop)
// and Esc (where the pointer watches it outside a run: X11, not sway) can stop it. The hint names
// Ctrl+C, which stops it everywhere. `outline`, when given, shows where the run will go
// meanwhile. False when stopped.
bool countDown(double delay, Terminal& terminal, PointerDevice* pointer, const bool& stopped,
               CountdownOutline* outline) {
    const Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                     std::chrono::duration<double>(delay));
    while (Clock::now() < end) {
        if (outline != nullptr) {
            outline->update();
        }
        QCoreApplication::processEvents();
        if (stopped || (pointer != nullptr && pointer->escPressed())) {
            return false;
        }
        const double left = secondsOf(end - Clock::now());
        terminal.show(QStringLiteral("開始まで %1 秒　%2")
                          .arg(static_cast<int>(std::ceil(std::max(left, 0.0))))
                          .arg(QStringLiteral("Ctrl+C で中止")));
        std::this_thread::sleep_for(kCountdownPoll);
    }
    QCoreApplication::processEvents();
    return !stopped;
}

// Where Esc cannot stop a run, says so before it and asks on the terminal whether to draw all
// the same. --yes agrees in advance; a stdin that is not a terminal cannot agree, so a script
// there must pass --yes. Returns kDone to go on, or the exit code to end with.
int agreesToRunWithoutEsc(const DrawOptions& options, const PointerDevice& pointer,
                          Terminal& terminal) {
    // The backend says how else its runs stop; signals always do.
    const QString advice = pointer.stopAdvice();
    const QString warning =
        pointer.whyEscCannotStop() +
        (advice.isEmpty()
             ? QStringLiteral("止めるには Ctrl+C（SIGINT）か SIGTERM を使ってください。")
             : advice + QStringLiteral("Ctrl+C（SIGINT）や SIGTERM でも止まります。"));
    if (options.yes) {
        terminal.message(warning);
        return exit_code::kDone;
    }
    if (::isatty(STDIN_FILENO) != 1) {
        terminal.message(warning + QStringLiteral("それでも描画するには --yes を付けてください。"));
        return exit_code::kFailed;
    }
    terminal.message(warning + QStringLiteral("描画しますか？ [y/N] "), false);
    char answer[16] = {};
    if (std::fgets(answer, sizeof answer, stdin) == nullptr ||
        (answer[0] != 'y' && answer[0] != 'Y')) {
        terminal.message(QStringLiteral("描画をやめました。"));
        return exit_code::kAborted;
    }
    return exit_code::kDone;
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

QString modesText(const RunModes& modes) {
    QStringList on;
    if (modes.FollowTarget) {
        on << QStringLiteral("追従");
    }
    if (modes.JoinRuns) {
        on << QStringLiteral("直線をつなぐ");
    }
    return on.isEmpty() ? QString() : QStringLiteral("、") + on.join(QStringLiteral("、"));
}

// The plan of `request`; `screen`, when known, tells whether its lines leave the screen.
int showPlan(const DrawOptions& options, const QImage& canvas, const RunRequest& request,
             std::optional<QSize> screen, Terminal& terminal) {
    const RunSettings& settings = request.settings();
    const RunPlan& plan = request.plan();
    const QPoint origin = request.origin();
    const ColourPlan* colour = request.colourPlan();
    QString why;
    if (!options.planImage.isEmpty() &&
        !WriteNamedPngFile(DrawPlan(canvas, request.passTables()).image, options.planImage, &why)) {
        terminal.message(
            QStringLiteral("計画の画像を書けません: %1（%2）").arg(options.planImage, why));
        return exit_code::kFailed;
    }
    const QRect onScreen = request.bounds();
    // Only with a display is the screen known.
    const bool leavesScreen = screen.has_value() && request.leavesScreen(*screen);
    const double estimated =
        std::chrono::duration<double>(
            colour != nullptr
                ? colour->time()
                : EstimatedRunTime(plan, ExpectedWaitMs(settings.modes, settings.WaitTime)))
            .count();
    if (options.json) {
        QJsonObject json{
            {QStringLiteral("strokes"), plan.strokes},
            {QStringLiteral("moves_in_strokes"), static_cast<qint64>(plan.moves)},
            {QStringLiteral("waits"), static_cast<qint64>(plan.waits)},
            {QStringLiteral("pixels"), plan.linePixels},
            {QStringLiteral("wait_ms"), settings.WaitTime},
            {QStringLiteral("follow"), settings.modes.FollowTarget},
            {QStringLiteral("join_runs"), settings.modes.JoinRuns},
            {QStringLiteral("estimated_seconds"), estimated},
            {QStringLiteral("origin"), point(origin)},
            {QStringLiteral("picture"), QJsonObject{{QStringLiteral("width"), canvas.width()},
                                                    {QStringLiteral("height"), canvas.height()}}},
            {QStringLiteral("bounds"),
             onScreen.isEmpty() ? QJsonValue() : QJsonValue(rectangle(onScreen))},
            {QStringLiteral("leaves_screen"),
             screen.has_value() ? QJsonValue(leavesScreen) : QJsonValue()},
        };
        if (!options.planImage.isEmpty()) {
            json.insert(QStringLiteral("plan_image"), options.planImage);
        }
        if (colour != nullptr) {
            json.insert(QStringLiteral("inks"), ColourPlanJson(*colour));
        }
        terminal.result(QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact)));
        return exit_code::kDone;
    }
    QString text = QStringLiteral(
                       "ストローク: %1\nストローク内の移動: %2\n線のピクセル: %3\n"
                       "推定時間: %4（ウェイト %5 ms%6）\n")
                       .arg(plan.strokes)
                       .arg(plan.moves)
                       .arg(plan.linePixels)
                       .arg(seconds(estimated))
                       .arg(settings.WaitTime)
                       .arg(modesText(settings.modes));
    text += onScreen.isEmpty()
                ? QStringLiteral("画面上の範囲: なし（線のピクセルがありません）")
                : QStringLiteral("画面上の範囲: (%1, %2) から (%3, %4) まで、%5 × %6")
                      .arg(onScreen.left())
                      .arg(onScreen.top())
                      .arg(onScreen.right())
                      .arg(onScreen.bottom())
                      .arg(onScreen.width())
                      .arg(onScreen.height());
    if (leavesScreen) {
        text += QStringLiteral("\n%1（画面 %2 × %3）")
                    .arg(RefusalText({RunRefusal::Reason::LeavesScreen, {}}))
                    .arg(screen->width())
                    .arg(screen->height());
    }
    if (colour != nullptr) {
        text += QStringLiteral("\n") + ColourPlanText(*colour);
    }
    if (!options.planImage.isEmpty()) {
        text += QStringLiteral("\n計画の画像: %1").arg(options.planImage);
    }
    terminal.result(text);
    return exit_code::kDone;
}

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

int draw(const DrawOptions& options, ReadyRun& run, RunState& state, const bool& signalled,
         Terminal& terminal) {
    const RunSettings& settings = run.settings();
    const RunPlan& plan = run.plan();
    const QPoint origin = run.origin();
    RunServices services = run.services();
    ProgressLine progress(terminal, services.pointer.canWatchEsc()
                                        ? QStringLiteral("Esc キーで中断")
                                        : QStringLiteral("Ctrl+C で中断"));
    if (terminal.live()) {
        services.observer = &progress;
    }
    // Without the screen read back, the run neither follows the target nor checks it.
    if (settings.modes.FollowTarget && services.screen == nullptr) {
        terminal.message(
            QStringLiteral("画面を読めないため、追従モードを使わず固定のウェイトで描画します。"));
    }
    const Clock::time_point start = Clock::now();
    std::int32_t strokes = 0;
    try {
        strokes = run.draw(services, state);
    } catch (const std::exception& error) {
        // The run has released the button before the error reached here.
        terminal.message(QString::fromLocal8Bit(error.what()));
        return exit_code::kFailed;
    }
    const double elapsed = secondsOf(Clock::now() - start);
    const RunResult& result = state.lastResult();
    const bool aborted = result.ending == RunResult::Ending::Aborted;
    RunCheck check = result.check;
    if (!aborted && check.outcome == RunCheck::Outcome::None) {
        check.outcome = RunCheck::Outcome::Unreadable;  // the session reads no screen back
    }
    const bool exact = check.exact();
    // The command asks a run to stop only on a signal.
    const bool bySignal = signalled || !result.stoppedBy;
    if (options.json) {
        QJsonObject json{
            {QStringLiteral("result"),
             aborted ? QStringLiteral("aborted") : QStringLiteral("drawn")},
            {QStringLiteral("strokes_drawn"), strokes},
            {QStringLiteral("strokes"), plan.strokes},
            {QStringLiteral("pixels"), plan.linePixels},
            {QStringLiteral("wait_ms"), settings.WaitTime},
            {QStringLiteral("follow"), settings.modes.FollowTarget},
            {QStringLiteral("join_runs"), settings.modes.JoinRuns},
            {QStringLiteral("elapsed_seconds"), elapsed},
            {QStringLiteral("origin"), point(origin)},
            {QStringLiteral("check"), checkJson(check)},
        };
        if (!aborted) {
            json.insert(QStringLiteral("exact"), exact);
        }
        if (aborted) {
            json.insert(QStringLiteral("reason"),
                        bySignal ? QStringLiteral("signal") : StopReasonName(*result.stoppedBy));
        }
        terminal.result(QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact)));
    } else if (aborted) {
        terminal.result(
            QStringLiteral("中断しました（%1）: %2 ストロークのうち %3 を描画、%4")
                .arg(bySignal ? QStringLiteral("シグナル") : StopReasonText(*result.stoppedBy))
                .arg(plan.strokes)
                .arg(strokes)
                .arg(seconds(elapsed)));
    } else {
        QString text = QStringLiteral("描画しました: %1 ストローク、%2 ピクセル、%3")
                           .arg(strokes)
                           .arg(plan.linePixels)
                           .arg(seconds(elapsed));
        text += QStringLiteral("\n") + CheckPanelText(check);
        if (check.outcome == RunCheck::Outcome::Checked) {
            for (const RunCheck::InkTally& ink : check.inks) {
                text += QStringLiteral("\n  ") + InkTallyText(ink);
            }
        }
        terminal.result(text);
    }
    if (aborted) {
        return exit_code::kAborted;
    }
    return exact ? exit_code::kDone : exit_code::kNotExact;
}

}  // namespace

int RunDrawCommand(const DrawOptions& options, std::FILE* out, std::FILE* err) {
    // No window is made but the outline during a countdown, so no display is needed otherwise:
    // the offscreen platform still gives the metafile decoder its fonts. The pointer backends
    // open connections of their own. Where the X server cannot be reached, the offscreen
    // platform serves after all (and the run is refused for want of a pointer).
    const bool showsOutline = ShowsCountdownOutline(options);
    char name[] = "stylorex";
    char platformOption[] = "-platform";
    char offscreen[] = "offscreen";
    char x11[] = "xcb;offscreen";
    char* argv[] = {name, platformOption, showsOutline ? x11 : offscreen, nullptr};
    int argc = 3;
    QGuiApplication application(argc, argv);

    Terminal terminal(out, err);
    const QString settingsFile = SettingsFileToRead();
    if (const std::optional<QString> why = ProfileFileUnreadable(settingsFile)) {
        terminal.message(
            QStringLiteral("設定ファイルを読み込めません: %1（%2）。既定の設定で描きます")
                .arg(QDir::toNativeSeparators(settingsFile), *why));
    }
    const SettingVariables saved = SavedSettingVariables(settingsFile);
    const std::optional<QImage> canvas = canvasOf(options, saved, terminal);
    if (!canvas) {
        return exit_code::kFailed;
    }

    // A plan at a given origin needs no display; where there is one, the plan says whether the
    // lines leave its screen.
    QString noSession;
    SystemSession session =
        OpenSystemSession(&noSession, [&terminal](const QString& text) { terminal.message(text); });
    PointerDevice* pointer = session.pointer.get();
    if (options.atPointer && pointer == nullptr) {
        terminal.message(noSession);
        return exit_code::kFailed;
    }
    // Colours a palette file leaves out are read from this session's screen.
    std::optional<std::vector<Swatch>> swatches;
    if (!options.paletteFile.isEmpty()) {
        QString error;
        swatches = ReadPaletteFile(options.paletteFile, session.screen.get(), error);
        if (!swatches) {
            terminal.message(error);
            return exit_code::kFailed;
        }
    }
    const RunSettings settings = settingsFor(options, saved, swatches);
    if (options.withinSeconds && !settings.colour) {
        terminal.message(QStringLiteral("--within はカラーで描くとき（--palette か --mode "
                                        "colour、または保存された設定がカラー）だけ使えます\n") +
                         HelpHint());
        return exit_code::kUsage;
    }
    if (options.atPointer && !pointer->canReadPosition()) {
        terminal.message(pointer->whyPositionUnreadable() +
                         QStringLiteral("--at pointer は使えません。--at X,Y で原点を指定して"
                                        "ください。"));
        return exit_code::kFailed;
    }
    if (!options.plan && pointer != nullptr && !pointer->canWatchEsc()) {
        if (const int code = agreesToRunWithoutEsc(options, *pointer, terminal);
            code != exit_code::kDone) {
            return code;
        }
    }
    // A plan beyond the screen is shown, and says that it leaves the screen.
    if (!options.plan && options.at && pointer != nullptr &&
        OriginBeyondScreen(*options.at, pointer->primaryScreenSize())) {
        terminal.message(QStringLiteral("%1: %2,%3\n%4")
                             .arg(InvalidOriginText())
                             .arg(options.at->x())
                             .arg(options.at->y())
                             .arg(HelpHint()));
        return exit_code::kUsage;
    }

    RunState state;
    bool signalled = false;
    TerminationSignals stopOnSignal([&] {
        signalled = true;
        state.requestStop();
    });
    std::optional<CountdownOutline> outline;
    if (showsOutline && pointer != nullptr) {
        outline.emplace(RunRequest(*canvas, QPoint(0, 0), settings).bounds(),
                        options.atPointer ? std::nullopt : options.at, *pointer,
                        session.screen.get());
    }
    // Without a pointer a run is refused at once: nothing to count down to.
    const bool counted = (pointer == nullptr && !options.plan) ||
                         countDown(options.delaySeconds, terminal, pointer, signalled,
                                   outline ? &*outline : nullptr);
    if (outline) {
        // Before the run reads the screen or presses anything.
        outline->withdraw();
    }
    if (!counted) {
        terminal.result(QStringLiteral("中断しました（%1）: 描画は始まっていません")
                            .arg(signalled || pointer == nullptr
                                     ? QStringLiteral("シグナル")
                                     : StopReasonText(pointer->stopCause())));
        return exit_code::kAborted;
    }
    RunRequest request(*canvas, options.atPointer ? pointer->position() : *options.at, settings);
    if (options.plan) {
        const std::optional<QSize> screen =
            pointer != nullptr ? std::optional<QSize>(pointer->primaryScreenSize()) : std::nullopt;
        return showPlan(options, *canvas, request, screen, terminal);
    }
    std::variant<ReadyRun, RunRefusal> ready =
        std::move(request).ready({pointer, noSession, session.screen.get()});
    if (const RunRefusal* refusal = std::get_if<RunRefusal>(&ready)) {
        terminal.message(RefusalText(*refusal));
        return exit_code::kFailed;
    }
    return draw(options, std::get<ReadyRun>(ready), state, signalled, terminal);
}

}  // namespace stylorex
