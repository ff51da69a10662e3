// Whole runs through the X11 backend into paint programs of the tests' own (tests/x11's
// PaintingTarget), on the acceptance pictures: how close the plan's estimate comes to the real
// time, what joining straight runs saves, how the follow mode does against a target that lags,
// and what reading the screen back costs. Needs DISPLAY (a private Xvfb; the runs move the real
// pointer), and minutes: every run waits for real.
// Run: build-*/bench/bench_run [--benchmark_filter=...]
#include "bench/acceptance_pictures.h"
#include "engine/colour_run.h"
#include "engine/drawing_run.h"
#include "engine/run_plan.h"
#include "os/x11/screen_x11.h"
#include "os/x11/x11_pointer.h"
#include "tests/x11/mtpaint_target.h"
#include "tests/x11/painting_target.h"
#include "tests/x11/screen_ink.h"
#include "tests/x11/swatch_target.h"
#include "tests/x11/window_manager.h"

#include <QColor>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPoint>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <X11/Xlib.h>

namespace stylorex {
namespace {

using testing::PaintingTarget;
using Pixels = std::set<std::pair<int, int>>;

constexpr int kOriginX = 60;
constexpr int kOriginY = 60;

AcceptancePicture PictureOf(std::int64_t arg) {
    return AcceptancePictures()[static_cast<std::size_t>(arg)];
}

Pixels LinePixels(const QImage& picture, QPoint origin = QPoint(kOriginX, kOriginY)) {
    Pixels pixels;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb c = picture.pixel(x, y);
            const ColorParts parts{static_cast<std::int16_t>(qRed(c)),
                                   static_cast<std::int16_t>(qGreen(c)),
                                   static_cast<std::int16_t>(qBlue(c))};
            if (IsLinePixel(parts, ExtractionSettings{})) {
                pixels.insert({origin.x() + x, origin.y() + y});
            }
        }
    }
    return pixels;
}

std::size_t CountMissing(const Pixels& expected, const Pixels& inked) {
    std::size_t missing = 0;
    for (const auto& p : expected) {
        missing += inked.count(p) == 0 ? 1 : 0;
    }
    return missing;
}

struct Backend {
    std::unique_ptr<X11Pointer> pointer;
    std::unique_ptr<X11Screen> screen;
    QString error;

    Backend() {
        pointer = X11Pointer::open(&error);
        if (pointer) {
            screen = X11Screen::open(&error);
        }
    }
    bool ok() const { return pointer && screen; }
};

struct RunOutcome {
    double seconds = 0;
    std::int32_t strokes = 0;
};

// One run as the window makes it: yields through the event loop, the system clock.
RunOutcome Run(Backend& backend, const QImage& picture, QPoint origin, const RunSettings& settings,
               bool withScreen) {
    RunState state;
    RunServices services{*backend.pointer, [] { QCoreApplication::processEvents(); },
                         SystemClock()};
    services.screen = withScreen ? backend.screen.get() : nullptr;
    const auto start = std::chrono::steady_clock::now();
    RunOutcome outcome;
    outcome.strokes = RunDrawing(picture, origin.x(), origin.y(), settings, services, state);
    XSync(backend.pointer->display(), False);
    outcome.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}

QRect TargetArea(const QImage& picture) {
    return QRect(kOriginX - 10, kOriginY - 10, picture.width() + 20, picture.height() + 20);
}

// A fixed-wait run into a target that handles every motion event, against the plan's estimate
// for it. Arguments: picture, wait in ms, joined runs (0/1).
void BM_EstimateAgainstRun(benchmark::State& state) {
    Backend backend;
    if (!backend.ok()) {
        state.SkipWithError(("skipped: " + backend.error).toStdString().c_str());
        return;
    }
    const AcceptancePicture kind = PictureOf(state.range(0));
    const QImage picture = MakeAcceptancePicture(kind);
    RunSettings settings;
    settings.WaitTime = static_cast<std::int16_t>(state.range(1));
    settings.modes.JoinRuns = state.range(2) != 0;
    const RunPlan plan = PlanPicture(picture, settings.extraction, settings.modes);
    const double estimate =
        std::chrono::duration<double>(EstimatedRunTime(plan, settings.WaitTime)).count();
    PaintingTarget target(PaintingTarget::Kind::JoinsEveryMotion, TargetArea(picture));
    RunOutcome outcome;
    for (auto _ : state) {
        outcome = Run(backend, picture, QPoint(kOriginX, kOriginY), settings, false);
        target.settle();
    }
    state.counters["strokes"] = outcome.strokes;
    state.counters["moves"] = static_cast<double>(plan.moves);
    state.counters["run_s"] = outcome.seconds;
    state.counters["estimate_s"] = estimate;
    state.counters["estimate_vs_run"] = estimate / outcome.seconds;
    state.counters["exact"] = target.inked() == LinePixels(picture) ? 1 : 0;
    state.SetLabel(AcceptancePictureName(kind).toStdString());
}

BENCHMARK(BM_EstimateAgainstRun)
    ->ArgNames({"picture", "wait", "join"})
    ->ArgsProduct({{0, 1, 2, 3}, {1, 5, 7}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

// The run as a user's window makes it on a desktop: into a target the window manager manages
// (start `openbox --sm-disable` on the server first), with the screen read back, so the run
// follows the target where asked and checks it at its end; the plan's estimate beside the real
// time. Arguments: picture, mode (0, 1, 5: that fixed wait in ms; 100: the follow mode into a
// target that inks every motion at once; 101: the follow mode into the target that lags and asks
// for the pointer). Counters: `managed` (1 when a window manager ran), the run's and the
// estimate's time and their ratio, and whether the target's ink is exactly the picture.
void BM_EstimateUnderWindowManager(benchmark::State& state) {
    Backend backend;
    if (!backend.ok()) {
        state.SkipWithError(("skipped: " + backend.error).toStdString().c_str());
        return;
    }
    const AcceptancePicture kind = PictureOf(state.range(0));
    const QImage picture = MakeAcceptancePicture(kind);
    const std::int64_t mode = state.range(1);
    RunSettings settings;
    settings.modes.FollowTarget = mode >= 100;
    settings.WaitTime = static_cast<std::int16_t>(settings.modes.FollowTarget ? 5 : mode);
    PaintingTarget target(mode == 101 ? PaintingTarget::Kind::LagsAndAsksForThePointer
                                      : PaintingTarget::Kind::JoinsEveryMotion,
                          TargetArea(picture), std::chrono::milliseconds(0),
                          PaintingTarget::Placement::Managed);
    if (!target.mapped()) {
        state.SkipWithError("skipped: the target window was not mapped");
        return;
    }
    // Inside the window wherever the manager put it.
    const QPoint origin = target.geometry().topLeft() + QPoint(10, 10);
    const RunPlan plan = PlanPicture(picture, settings.extraction, settings.modes);
    const double estimate =
        std::chrono::duration<double>(
            EstimatedRunTime(plan, ExpectedWaitMs(settings.modes, settings.WaitTime)))
            .count();
    RunOutcome outcome;
    for (auto _ : state) {
        target.wipe();
        outcome = Run(backend, picture, origin, settings, true);
        target.settle();
    }
    state.counters["managed"] = testing::WindowManagerAnnounced(backend.pointer->display()) ? 1 : 0;
    state.counters["strokes"] = outcome.strokes;
    state.counters["moves"] = static_cast<double>(plan.moves);
    state.counters["waits"] = static_cast<double>(plan.waits);
    state.counters["run_s"] = outcome.seconds;
    state.counters["estimate_s"] = estimate;
    state.counters["estimate_vs_run"] = estimate / outcome.seconds;
    state.counters["exact"] = target.inked() == LinePixels(picture, origin) ? 1 : 0;
    state.SetLabel(AcceptancePictureName(kind).toStdString());
}

BENCHMARK(BM_EstimateUnderWindowManager)
    ->ArgNames({"picture", "mode"})
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1, 5, 100, 101}})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

// What the parts of a run that the estimate counts apart cost under the window manager, from
// medians of 9 runs each into a managed target that inks every motion, at wait 0:
// `stroke_ends_ms`, a run of 100 dots without the screen, per dot (the press, the release and the
// manager's reaction); `check_ms`, a run of one dot with the screen beyond one without (the read
// before and the check's settle after); `ink_wait_ms`, a zigzag of 100 turns in the follow mode
// beyond the same at wait 0, per wait for the ink (both with the screen).
void BM_RunPartsUnderWindowManager(benchmark::State& state) {
    Backend backend;
    if (!backend.ok()) {
        state.SkipWithError(("skipped: " + backend.error).toStdString().c_str());
        return;
    }
    const auto white = [](int width, int height) {
        QImage picture(width, height, QImage::Format_RGB32);
        picture.fill(Qt::white);
        return picture;
    };
    QImage dots = white(60, 60);
    for (int i = 0; i < 100; ++i) {
        dots.setPixel(5 + 5 * (i % 10), 5 + 5 * (i / 10), qRgb(0, 0, 0));
    }
    QImage dot = white(20, 20);
    dot.setPixel(10, 10, qRgb(0, 0, 0));
    // A zigzag of 45° pieces three pixels long: the stroke turns at every third pixel.
    QImage stairs = white(320, 40);
    for (int x = 0; x <= 300; ++x) {
        const int phase = x % 6;
        stairs.setPixel(10 + x, 10 + (phase <= 3 ? phase : 6 - phase), qRgb(0, 0, 0));
    }
    PaintingTarget target(PaintingTarget::Kind::JoinsEveryMotion, QRect(100, 100, 200, 200),
                          std::chrono::milliseconds(0), PaintingTarget::Placement::Managed);
    if (!target.mapped()) {
        state.SkipWithError("skipped: the target window was not mapped");
        return;
    }
    const QPoint origin = target.geometry().topLeft() + QPoint(20, 20);
    const auto median = [&](const QImage& picture, bool follow, bool withScreen) {
        RunSettings settings;
        settings.WaitTime = 0;
        settings.modes.FollowTarget = follow;
        std::vector<double> times;
        for (int i = 0; i < 9; ++i) {
            target.wipe();
            times.push_back(Run(backend, picture, origin, settings, withScreen).seconds * 1e3);
            target.settle();
        }
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    };
    RunModes follow;
    follow.FollowTarget = true;
    const RunPlan stairsPlan = PlanPicture(stairs, ExtractionSettings{}, follow);
    double strokeEndsMs = 0;
    double checkMs = 0;
    double inkWaitMs = 0;
    for (auto _ : state) {
        strokeEndsMs = median(dots, false, false) / 100;
        checkMs = median(dot, false, true) - median(dot, false, false);
        inkWaitMs = (median(stairs, true, true) - median(stairs, false, true)) /
                    static_cast<double>(stairsPlan.waits);
    }
    state.counters["managed"] = testing::WindowManagerAnnounced(backend.pointer->display()) ? 1 : 0;
    state.counters["stroke_ends_ms"] = strokeEndsMs;
    state.counters["check_ms"] = checkMs;
    state.counters["ink_wait_ms"] = inkWaitMs;
    state.counters["stairs_waits"] = static_cast<double>(stairsPlan.waits);
}

BENCHMARK(BM_RunPartsUnderWindowManager)->Iterations(1)->Unit(benchmark::kMillisecond);

// Into a target that selects motion hints, lags 2 to 9 ms per event and joins to where the
// pointer is when it asks: the fixed 5 ms wait against the follow mode, with and without joined
// runs. Arguments: picture, mode (0 fixed 5 ms, 1 follow, 2 follow and join). Counters: the
// run's time, and the missing and extra pixels by the target's own record.
void BM_LaggingTarget(benchmark::State& state) {
    Backend backend;
    if (!backend.ok()) {
        state.SkipWithError(("skipped: " + backend.error).toStdString().c_str());
        return;
    }
    const AcceptancePicture kind = PictureOf(state.range(0));
    const QImage picture = MakeAcceptancePicture(kind);
    RunSettings settings;
    settings.WaitTime = 5;
    settings.modes.FollowTarget = state.range(1) >= 1;
    settings.modes.JoinRuns = state.range(1) == 2;
    PaintingTarget target(PaintingTarget::Kind::LagsAndAsksForThePointer, TargetArea(picture));
    RunOutcome outcome;
    for (auto _ : state) {
        outcome = Run(backend, picture, QPoint(kOriginX, kOriginY), settings, true);
        target.settle();
    }
    const Pixels expected = LinePixels(picture);
    const Pixels inked = target.inked();
    state.counters["run_s"] = outcome.seconds;
    state.counters["missing"] = static_cast<double>(CountMissing(expected, inked));
    state.counters["extra"] = static_cast<double>(CountMissing(inked, expected));
    static const char* modes[] = {"fixed_5ms", "follow", "follow_join"};
    state.SetLabel(AcceptancePictureName(kind).toStdString() + "/" + modes[state.range(1)]);
}

BENCHMARK(BM_LaggingTarget)
    ->ArgNames({"picture", "mode"})
    ->ArgsProduct({{0, 1, 2}, {0, 1, 2}})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

// A target that keeps every move but shows the ink one frame (16 ms) late, as one that queues
// its work: the fixed wait 0 (exact there, and the fastest) against the follow mode, which is
// to take at most 1.5 times as long. Arguments: picture, mode (0 fixed 0 ms, 1 follow).
// Counters: the run's time (its check included), and the missing and extra pixels by the
// target's own record.
void BM_LateTarget(benchmark::State& state) {
    Backend backend;
    if (!backend.ok()) {
        state.SkipWithError(("skipped: " + backend.error).toStdString().c_str());
        return;
    }
    const AcceptancePicture kind = PictureOf(state.range(0));
    const QImage picture = MakeAcceptancePicture(kind);
    RunSettings settings;
    settings.WaitTime = 0;
    settings.modes.FollowTarget = state.range(1) == 1;
    PaintingTarget target(PaintingTarget::Kind::JoinsEveryMotion, TargetArea(picture),
                          std::chrono::milliseconds(16));
    RunOutcome outcome;
    for (auto _ : state) {
        outcome = Run(backend, picture, QPoint(kOriginX, kOriginY), settings, true);
        target.settle();
    }
    const Pixels expected = LinePixels(picture);
    const Pixels inked = target.inked();
    state.counters["run_s"] = outcome.seconds;
    state.counters["missing"] = static_cast<double>(CountMissing(expected, inked));
    state.counters["extra"] = static_cast<double>(CountMissing(inked, expected));
    static const char* modes[] = {"fixed_0ms", "follow"};
    state.SetLabel(AcceptancePictureName(kind).toStdString() + "/" + modes[state.range(1)]);
}

BENCHMARK(BM_LateTarget)
    ->ArgNames({"picture", "mode"})
    ->ArgsProduct({{0, 2}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

// Into the real mtPaint (Debian package mtpaint; a new image, the paint tool, a 1-pixel brush),
// started anew for each row: the fixed 5 ms wait against the follow mode. Arguments: picture,
// mode (0 fixed 5 ms, 1 follow). Counters: the run's time (its check included), and the missing
// and extra pixels counted from the screen once it has settled.
void BM_MtPaint(benchmark::State& state) {
    Backend backend;
    if (!backend.ok()) {
        state.SkipWithError(("skipped: " + backend.error).toStdString().c_str());
        return;
    }
    const AcceptancePicture kind = PictureOf(state.range(0));
    const QImage picture = MakeAcceptancePicture(kind);
    RunSettings settings;
    settings.WaitTime = 5;
    settings.modes.FollowTarget = state.range(1) == 1;
    RunOutcome outcome;
    std::size_t missing = 0;
    std::size_t extra = 0;
    for (auto _ : state) {
        state.PauseTiming();
        testing::MtPaintTarget mtpaint;
        if (!mtpaint.ready()) {
            state.SkipWithError(("skipped: " + mtpaint.error()).toStdString().c_str());
            return;
        }
        const QPoint origin = mtpaint.canvas().topLeft() + QPoint(20, 20);
        const QRect area(origin, picture.size());
        const QImage before = backend.screen->grab(area);
        state.ResumeTiming();
        outcome = Run(backend, picture, origin, settings, true);
        state.PauseTiming();
        const testing::InkComparison ink =
            testing::CompareInk(picture, QPoint(0, 0), before, testing::SettledScreen(area));
        missing = ink.missing;
        extra = ink.extra;
        state.ResumeTiming();
    }
    state.counters["run_s"] = outcome.seconds;
    state.counters["missing"] = static_cast<double>(missing);
    state.counters["extra"] = static_cast<double>(extra);
    static const char* modes[] = {"fixed_5ms", "follow"};
    state.SetLabel(AcceptancePictureName(kind).toStdString() + "/" + modes[state.range(1)]);
}

BENCHMARK(BM_MtPaint)
    ->ArgNames({"picture", "mode"})
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

// One pixel read back from the root window, and the target rectangle of an acceptance picture
// read at once.
void BM_ReadBack(benchmark::State& state) {
    QString error;
    auto screen = X11Screen::open(&error);
    if (!screen) {
        state.SkipWithError(("skipped: " + error).toStdString().c_str());
        return;
    }
    const QRect area = TargetArea(MakeAcceptancePicture(AcceptancePicture::Dots));
    for (auto _ : state) {
        if (state.range(0) == 0) {
            benchmark::DoNotOptimize(screen->pixel(area.center()));
        } else {
            benchmark::DoNotOptimize(screen->grab(area));
        }
    }
    state.SetLabel(state.range(0) == 0 ? "one_pixel" : "340x260");
}

BENCHMARK(BM_ReadBack)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A 4-colour picture, 200 × 150: filled-in shapes' outlines and hatching in red, green and blue
// over a black frame and black lettering lines, drawn without antialiasing.
QImage FourColourPicture() {
    QImage picture(200, 150, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QColor(220, 30, 30));
    painter.drawEllipse(20, 20, 70, 70);
    for (int x = 30; x < 80; x += 6) {
        painter.drawLine(x, 40, x + 10, 70);
    }
    painter.setPen(QColor(30, 160, 60));
    painter.drawRect(100, 20, 70, 50);
    for (int y = 26; y < 70; y += 5) {
        painter.drawLine(104, y, 166, y);
    }
    painter.setPen(QColor(40, 60, 200));
    for (int i = 0; i < 8; ++i) {
        painter.drawLine(20 + i * 20, 100, 30 + i * 20, 130);
    }
    painter.setPen(Qt::black);
    painter.drawRect(2, 2, 195, 145);
    painter.drawLine(10, 140, 190, 95);
    return picture;
}

// That picture in colour into the swatch target, in the follow mode (as the window draws it by
// default): one click per ink, each switch proven, the whole rectangle checked. Counters: the
// run's time, the plan's estimate at a 5 ms wait, and the pixels the target's own record shows
// missing or in another ink.
void BM_ColourRun(benchmark::State& state) {
    Backend backend;
    if (!backend.ok()) {
        state.SkipWithError(("skipped: " + backend.error).toStdString().c_str());
        return;
    }
    const QImage picture = FourColourPicture();
    const std::vector<QRgb> inks = {qRgb(220, 30, 30), qRgb(30, 160, 60), qRgb(40, 60, 200),
                                    qRgb(0, 0, 0)};
    std::vector<testing::SwatchTarget::Swatch> swatches;
    for (const QRgb ink : inks) {
        swatches.push_back({ink, testing::SwatchTarget::Answer::Takes});
    }
    const QRect area(kOriginX - 10, kOriginY - 10 - testing::SwatchTarget::kCanvasTop,
                     picture.width() + 20,
                     picture.height() + 20 + testing::SwatchTarget::kCanvasTop);
    testing::SwatchTarget target(area, swatches);
    RunSettings settings;
    settings.modes.FollowTarget = true;
    ColourSettings colour;
    for (std::size_t i = 0; i < inks.size(); ++i) {
        colour.palette.swatches.push_back({target.swatchCentre(static_cast<int>(i)), inks[i]});
    }
    settings.colour = colour;
    const ColourPlan planned = PlanColours(picture, colour, settings.modes, settings.WaitTime);
    double seconds = 0;
    RunCheck check;
    for (auto _ : state) {
        RunState runs;
        RunServices services{*backend.pointer, [] { QCoreApplication::processEvents(); },
                             SystemClock()};
        services.screen = backend.screen.get();
        const auto start = std::chrono::steady_clock::now();
        RunColourDrawing(planned, QPoint(kOriginX, kOriginY), settings, services, runs);
        XSync(backend.pointer->display(), False);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        check = runs.lastResult().check;
        target.settle();
    }
    std::map<std::pair<int, int>, QRgb> expected;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.pixel(x, y) != qRgb(255, 255, 255)) {
                expected[{kOriginX + x, kOriginY + y}] = picture.pixel(x, y);
            }
        }
    }
    const auto inked = target.inked();
    std::size_t wrong = 0;
    for (const auto& [at, ink] : expected) {
        const auto found = inked.find(at);
        wrong += found == inked.end() || found->second != ink ? 1 : 0;
    }
    state.counters["run_s"] = seconds;
    state.counters["estimate_s"] = std::chrono::duration<double>(planned.time()).count();
    state.counters["strokes"] = planned.total().strokes;
    state.counters["pixels"] = planned.total().linePixels;
    state.counters["wrong_or_missing"] = static_cast<double>(wrong);
    std::size_t extra = 0;
    for (const auto& [at, ink] : inked) {
        extra += expected.count(at) == 0 ? 1 : 0;
    }
    state.counters["extra"] = static_cast<double>(extra);
    state.counters["check_missing"] = static_cast<double>(check.missing.size());
    state.counters["check_extra"] = static_cast<double>(check.extra.size());
    state.SetLabel("4 inks, follow mode");
}

BENCHMARK(BM_ColourRun)->Iterations(1)->Unit(benchmark::kSecond);

// The plan the window shows beside the picture: scan, copy and walk, on the acceptance pictures
// and on a 600 × 480 grid of lines.
void BM_PlanPicture(benchmark::State& state) {
    QImage picture;
    std::string label;
    if (state.range(0) < static_cast<std::int64_t>(AcceptancePictures().size())) {
        picture = MakeAcceptancePicture(PictureOf(state.range(0)));
        label = AcceptancePictureName(PictureOf(state.range(0))).toStdString();
    } else {
        picture = QImage(600, 480, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter painter(&picture);
        painter.setPen(Qt::black);
        for (int i = 0; i < 600; i += 10) {
            painter.drawLine(i, 0, i, 479);
        }
        for (int i = 0; i < 480; i += 10) {
            painter.drawLine(0, i, 599, i);
        }
        label = "grid_600x480";
    }
    RunPlan plan;
    for (auto _ : state) {
        plan = PlanPicture(picture, ExtractionSettings{}, RunModes{});
        benchmark::DoNotOptimize(plan);
    }
    state.counters["strokes"] = plan.strokes;
    state.counters["line_pixels"] = plan.linePixels;
    state.SetLabel(label);
}

BENCHMARK(BM_PlanPicture)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace stylorex

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);  // the text picture's font
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
