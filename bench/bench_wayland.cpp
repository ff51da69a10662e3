// The Wayland backend's costs on a wlroots compositor: one pixel and one rectangle read back
// through screencopy, and the rate of a run at wait 0 through the virtual pointer.
// Run: build-*/bench/bench_wayland inside a sway session (WAYLAND_DISPLAY set); elsewhere
// every benchmark is skipped with the backend's reason. docs/performance.md starts a headless
// sway for it.
#include "engine/drawing_run.h"
#include "os/wayland/wayland_session.h"

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
        SystemSession opened = OpenWaylandSession(&error);
        if (!opened.pointer) {
            std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        }
        return opened;
    }();
    return session;
}

bool Skipped(benchmark::State& state, bool needsScreen) {
    if (!Session().pointer || (needsScreen && !Session().screen)) {
        state.SkipWithError("no wlroots compositor with virtual pointer and screencopy here");
        return true;
    }
    return false;
}

void BM_WaylandPixelRead(benchmark::State& state) {
    if (Skipped(state, true)) {
        return;
    }
    int failures = 0;
    for (auto _ : state) {
        failures += Session().screen->pixel(QPoint(100, 100)) ? 0 : 1;
    }
    state.counters["failures"] = failures;
}
BENCHMARK(BM_WaylandPixelRead)->Iterations(100)->Unit(benchmark::kMillisecond);

// A square of the given side, as the check after a run reads the target rectangle.
void BM_WaylandGrab(benchmark::State& state) {
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
BENCHMARK(BM_WaylandGrab)->Arg(200)->Arg(600)->Iterations(30)->Unit(benchmark::kMillisecond);

// RunDrawing at wait 0 over 20 horizontal strokes of 500 pixels (9,980 moves inside strokes)
// on the empty desktop: the pace the backend keeps so that a target can follow.
void BM_WaylandRunAtWaitZero(benchmark::State& state) {
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
BENCHMARK(BM_WaylandRunAtWaitZero)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace stylorex

BENCHMARK_MAIN();
