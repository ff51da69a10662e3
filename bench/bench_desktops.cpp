// The KDE and GNOME backends' costs: the rate of awaited moves, one pixel and one rectangle read
// back, and the rate of a run at wait 0, through the backend the program's start picks.
// Run: build-*/bench/bench_desktops inside a KDE Plasma or GNOME Wayland session (or the
// headless one docs/performance.md starts); elsewhere every benchmark is skipped with the
// backend's reason.
#include "engine/drawing_run.h"
#include "os/session_choice.h"

#include <QCoreApplication>
#include <QImage>
#include <QRect>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

namespace stylorex {
namespace {

SystemSession& Session() {
    static SystemSession session = [] {
        QString error;
        SystemSession opened = OpenSystemSession(&error);
        if (!opened.pointer) {
            std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        }
        return opened;
    }();
    return session;
}

bool Skipped(benchmark::State& state, bool needsScreen) {
    if (!Session().pointer || (needsScreen && !Session().screen)) {
        state.SkipWithError("no KDE or GNOME session with pointer and screen read-back here");
        return true;
    }
    return false;
}

// Moves along a 500-pixel line and back, each awaited as a run awaits it.
void BM_DesktopMoves(benchmark::State& state) {
    if (Skipped(state, false)) {
        return;
    }
    PointerDevice& pointer = *Session().pointer;
    int x = 0;
    for (auto _ : state) {
        pointer.moveTo(100 + (x < 500 ? x : 999 - x), 700);
        x = (x + 1) % 1000;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DesktopMoves)->Iterations(2000)->Unit(benchmark::kMicrosecond);

void BM_DesktopPixelRead(benchmark::State& state) {
    if (Skipped(state, true)) {
        return;
    }
    int failures = 0;
    for (auto _ : state) {
        failures += Session().screen->pixel(QPoint(100, 100)) ? 0 : 1;
    }
    state.counters["failures"] = failures;
}
BENCHMARK(BM_DesktopPixelRead)->Iterations(100)->Unit(benchmark::kMillisecond);

// A square of the given side, as the check after a run reads the target rectangle.
void BM_DesktopGrab(benchmark::State& state) {
    if (Skipped(state, true)) {
        return;
    }
    const int side = static_cast<int>(state.range(0));
    int failures = 0;
    for (auto _ : state) {
        failures += Session().screen->grab(QRect(0, 0, side, side)).isNull() ? 1 : 0;
    }
    state.counters["failures"] = failures;
}
BENCHMARK(BM_DesktopGrab)->Arg(200)->Arg(600)->Iterations(30)->Unit(benchmark::kMillisecond);

// RunDrawing at wait 0 over 20 horizontal strokes of 500 pixels (9,980 moves inside strokes)
// on the empty desktop, without the check.
void BM_DesktopRunAtWaitZero(benchmark::State& state) {
    if (Skipped(state, false)) {
        return;
    }
    QImage picture(500, 40, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 0; y < 40; y += 2) {
        for (int x = 0; x < 500; ++x) {
            picture.setPixel(x, y, qRgb(0, 0, 0));
        }
    }
    RunState runs;
    RunSettings settings;
    settings.WaitTime = 0;
    double seconds = 0;
    for (auto _ : state) {
        RunServices services{*Session().pointer, {}, SystemClock()};
        const auto start = std::chrono::steady_clock::now();
        RunDrawing(picture, 100, 100, settings, services, runs);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["moves_per_s"] = 9980.0 * static_cast<double>(state.iterations()) / seconds;
}
BENCHMARK(BM_DesktopRunAtWaitZero)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace stylorex

// The backends talk D-Bus, which needs an application object.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
