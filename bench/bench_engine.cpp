// The engine's speed: the scan and a full trace on 600 x 480 pictures against one copy of the
// same pixels, the X11 backend's dispatch rate against a bare XTest loop, and the cost of the
// button guardian's messages.
// Run: build-*/bench/bench_engine (the X11 part needs DISPLAY; without it, it is skipped).
#include "engine/colour_reduction.h"
#include "engine/drawing_run.h"
#include "engine/pixel_scan.h"
#include "engine/stroke_trace.h"
#include "os/button_guardian.h"
#include "os/x11/x11_pointer.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace stylorex {
namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 480;

enum PictureKind { kWhite, kBlack, kCheckerboard, kLineArt };

QImage MakePicture(PictureKind kind) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(kind == kBlack ? Qt::black : Qt::white);
    if (kind == kCheckerboard) {
        for (int y = 0; y < kHeight; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = y % 2; x < kWidth; x += 2) {
                line[x] = qRgb(0, 0, 0);
            }
        }
    } else if (kind == kLineArt) {
        // Lines and ellipses with a one-pixel pen and no antialiasing, as the painter draws.
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(Qt::black, 1));
        unsigned seed = 12345;
        auto next = [&seed](int range) {
            seed = seed * 1103515245U + 12345U;
            return static_cast<int>((seed >> 8) % static_cast<unsigned>(range));
        };
        for (int i = 0; i < 60; ++i) {
            painter.drawLine(next(kWidth), next(kHeight), next(kWidth), next(kHeight));
            painter.drawEllipse(next(kWidth), next(kHeight), 10 + next(120), 10 + next(120));
        }
    }
    return image;
}

const QImage& Picture(PictureKind kind) {
    static const std::vector<QImage> pictures = {MakePicture(kWhite), MakePicture(kBlack),
                                                 MakePicture(kCheckerboard), MakePicture(kLineArt)};
    return pictures[static_cast<std::size_t>(kind)];
}

const char* PictureName(PictureKind kind) {
    static const char* names[] = {"white", "black", "checkerboard", "line_art"};
    return names[kind];
}

// Seconds for one copy of the picture's pixels, the best of many.
double CopySeconds(const QImage& picture) {
    std::vector<unsigned char> target(static_cast<std::size_t>(picture.sizeInBytes()));
    double best = 1e9;
    for (int i = 0; i < 200; ++i) {
        const auto start = std::chrono::steady_clock::now();
        std::memcpy(target.data(), picture.constBits(), target.size());
        benchmark::ClobberMemory();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count());
    }
    benchmark::DoNotOptimize(target.data());
    return best;
}

void BM_CopyPixels(benchmark::State& state) {
    const QImage& picture = Picture(static_cast<PictureKind>(state.range(0)));
    std::vector<unsigned char> target(static_cast<std::size_t>(picture.sizeInBytes()));
    for (auto _ : state) {
        std::memcpy(target.data(), picture.constBits(), target.size());
        benchmark::ClobberMemory();
    }
    state.SetLabel(PictureName(static_cast<PictureKind>(state.range(0))));
}

// Besides the usual mean, reports the best single scan and its ratio to the best single copy
// of the same pixels (x_copy): both bests are taken the same way in the same run, so the
// ratio holds up on a busy machine.
void BM_ScanPicture(benchmark::State& state) {
    const auto kind = static_cast<PictureKind>(state.range(0));
    const QImage& picture = Picture(kind);
    const double copy = CopySeconds(picture);
    ScanTables tables;
    ScanPicture(picture, ExtractionSettings{}, tables);  // tables at their full size
    double best = 1e9;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        ScanPicture(picture, ExtractionSettings{}, tables);
        benchmark::DoNotOptimize(tables.StartPointCount);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count());
    }
    state.counters["line_pixels"] = tables.StartPointCount;
    state.counters["best_us"] = best * 1e6;
    state.counters["copy_us"] = copy * 1e6;
    state.counters["x_copy"] = best / copy;
    state.SetLabel(PictureName(kind));
}

// Walks every stroke with the run's walker, without a pointer; the tables are restored from a
// scanned copy outside the timing.
void BM_TraceStrokes(benchmark::State& state) {
    const auto kind = static_cast<PictureKind>(state.range(0));
    ScanTables scanned;
    ScanPicture(Picture(kind), ExtractionSettings{}, scanned);
    ScanTables tables = scanned;
    std::int64_t strokes = 0;
    std::int64_t moves = 0;
    for (auto _ : state) {
        state.PauseTiming();
        tables = scanned;
        state.ResumeTiming();
        strokes = 0;
        moves = 0;
        StrokeWalker walker(tables);
        PixelPoint p;
        while (walker.nextStroke(p)) {
            while (walker.nextPoint(p)) {
                ++moves;
            }
            ++strokes;
        }
        benchmark::DoNotOptimize(strokes);
    }
    state.counters["strokes"] = static_cast<double>(strokes);
    state.counters["moves"] = static_cast<double>(moves);
    state.SetLabel(PictureName(kind));
}

BENCHMARK(BM_CopyPixels)->DenseRange(kWhite, kLineArt)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScanPicture)->DenseRange(kWhite, kLineArt)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TraceStrokes)->DenseRange(kWhite, kLineArt)->Unit(benchmark::kMicrosecond);

// --- Colour reduction -------------------------------------------------------------------------

// A photo stand-in: hues across, shading down, a soft round highlight and a little noise, so that
// almost every pixel has a colour of its own.
QImage MakePhoto() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    unsigned seed = 777;
    for (int y = 0; y < kHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            seed = seed * 1103515245U + 12345U;
            const double dx = x - 380.0;
            const double dy = y - 150.0;
            const double glow = std::exp(-(dx * dx + dy * dy) / 9000.0);
            const double value = std::clamp(0.25 + 0.6 * (1.0 - y / double(kHeight)) + 0.3 * glow +
                                                ((seed >> 16) % 21 - 10) / 255.0,
                                            0.0, 1.0);
            line[x] =
                QColor::fromHsvF(x / double(kWidth), 0.35 + 0.5 * (y / double(kHeight)), value)
                    .rgb();
        }
    }
    return image;
}

// Sixteen swatches as a paint program's default palette offers them.
InkColours PaintProgramInks() {
    InkColours colours;
    for (const char* name :
         {"#000000", "#808080", "#c0c0c0", "#800000", "#ff0000", "#808000", "#ffff00", "#008000",
          "#00ff00", "#008080", "#00ffff", "#000080", "#0000ff", "#800080", "#ff00ff", "#ff8040"}) {
        colours.inks.push_back(QColor(QString::fromLatin1(name)).rgb());
    }
    return colours;
}

void BM_ReduceColours(benchmark::State& state) {
    const QImage photo = MakePhoto();
    const InkColours inks = PaintProgramInks();
    const auto dithering = static_cast<Dithering>(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReduceToInks(photo, inks, dithering));
    }
    state.SetLabel(dithering == Dithering::Nearest   ? "600x480 photo, 16 inks, no dithering"
                   : dithering == Dithering::Ordered ? "600x480 photo, 16 inks, ordered 4x4"
                                                     : "600x480 photo, 16 inks, Floyd-Steinberg");
}

BENCHMARK(BM_ReduceColours)
    ->DenseRange(static_cast<int>(Dithering::Nearest), static_cast<int>(Dithering::ErrorDiffusion))
    ->Unit(benchmark::kMillisecond);

// --- X11 dispatch ---------------------------------------------------------------------------

// Horizontal strokes of 500 pixels on every other row: 100 strokes, 49,900 moves in a stroke.
const QImage& LongStrokes() {
    static const QImage picture = [] {
        QImage image(kWidth, 200, QImage::Format_RGB32);
        image.fill(Qt::white);
        for (int y = 0; y < 200; y += 2) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            std::fill(line, line + 500, qRgb(0, 0, 0));
        }
        return image;
    }();
    return picture;
}

constexpr int kMovesPerBatch = 49900;

double BareMotionRate(Display* display) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kMovesPerBatch; ++i) {
        XTestFakeMotionEvent(display, -1, 10 + i % 500, 10 + (i / 500) * 2, CurrentTime);
        XFlush(display);
    }
    XSync(display, False);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return kMovesPerBatch / elapsed.count();
}

// Takes a run's progress as the window's progress bar does, and nothing else.
class ProgressSink : public RunObserver {
  public:
    void phaseChanged(RunPhase) override {}
    void progressed(const RunProgress& report) override { benchmark::DoNotOptimize(report); }
};

// With `progress`, the run reports its progress as the window's progress bar takes it.
double RunDrawingRate(X11Pointer& pointer, bool progress) {
    RunState runs;
    ProgressSink sink;
    RunServices services{pointer, [] {}, SystemClock()};
    if (progress) {
        services.observer = &sink;
    }
    RunSettings settings;
    settings.WaitTime = 0;
    const auto start = std::chrono::steady_clock::now();
    RunDrawing(LongStrokes(), 10, 10, settings, services, runs);
    XSync(pointer.display(), False);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return kMovesPerBatch / elapsed.count();
}

// Each iteration times one batch of bare XTest moves and one run drawing the same number of
// moves at wait 0 through the backend, then the same run reporting its progress, alternately, so
// all see the same server load.
void BM_X11Dispatch(benchmark::State& state) {
    QString error;
    auto pointer = X11Pointer::open(&error);
    if (!pointer) {
        state.SkipWithError(("X11 dispatch skipped: " + error).toStdString().c_str());
        return;
    }
    std::vector<double> bare;
    std::vector<double> run;
    std::vector<double> reporting;
    for (auto _ : state) {
        bare.push_back(BareMotionRate(pointer->display()));
        run.push_back(RunDrawingRate(*pointer, false));
        reporting.push_back(RunDrawingRate(*pointer, true));
    }
    auto median = [](std::vector<double>& rates) {
        std::sort(rates.begin(), rates.end());
        return rates[rates.size() / 2];
    };
    const double bareMedian = median(bare);
    const double runMedian = median(run);
    const double reportingMedian = median(reporting);
    state.counters["bare_moves_per_s"] = bareMedian;
    state.counters["run_moves_per_s"] = runMedian;
    state.counters["run_vs_bare"] = runMedian / bareMedian;
    state.counters["progress_moves_per_s"] = reportingMedian;
    state.counters["progress_vs_run"] = reportingMedian / runMedian;
}

BENCHMARK(BM_X11Dispatch)->Iterations(7)->Unit(benchmark::kMillisecond);

// The button guardian's share of a run: the message before a press and the one after a
// release, to a guardian that reads them as it does during a run.
void BM_GuardianMessages(benchmark::State& state) {
    std::string error;
    auto guardian = ButtonGuardian::start(&error);
    if (!guardian) {
        state.SkipWithError(("guardian skipped: " + error).c_str());
        return;
    }
    for (auto _ : state) {
        guardian->buttonDown();
        guardian->buttonUp();
    }
}

BENCHMARK(BM_GuardianMessages)->Unit(benchmark::kMicrosecond);

// --- Stroke ends ------------------------------------------------------------------------------

// 32 × 32 isolated dots four pixels apart: 1,024 strokes of a press and a release each.
const QImage& Dots() {
    static const QImage picture = [] {
        QImage image(128, 128, QImage::Format_RGB32);
        image.fill(Qt::white);
        for (int y = 1; y < 128; y += 4) {
            for (int x = 1; x < 128; x += 4) {
                image.setPixel(x, y, qRgb(0, 0, 0));
            }
        }
        return image;
    }();
    return picture;
}

// A window to draw into, as a paint program offers one: with a window manager running it is
// managed, so every press goes through the manager's grab as into a user's target.
class DrawingSurface {
  public:
    explicit DrawingSurface(Display* display) : display_(display) {
        window_ =
            XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, kWidth + 40,
                                kHeight + 60, 0, 0, WhitePixel(display_, DefaultScreen(display_)));
        XSelectInput(display_, window_, ButtonPressMask | ButtonReleaseMask | PointerMotionMask);
        XSizeHints hints{};
        hints.flags = USPosition;
        XSetWMNormalHints(display_, window_, &hints);
        XMapRaised(display_, window_);
        XSync(display_, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));  // placed by the manager
    }
    ~DrawingSurface() {
        XDestroyWindow(display_, window_);
        XSync(display_, False);
    }
    DrawingSurface(const DrawingSurface&) = delete;
    DrawingSurface& operator=(const DrawingSurface&) = delete;
    // Drops what the window received, so the connection's queue does not grow.
    void drain() {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
        }
    }

  private:
    Display* display_;
    Window window_ = 0;
};

// One run at wait 0 into a window of our own: what the ends of the strokes cost, with or
// without a window manager on the server (run it both ways). Counters: the run's time, the
// strokes and the time per stroke.
void BM_X11StrokeEnds(benchmark::State& state) {
    QString error;
    auto pointer = X11Pointer::open(&error);
    if (!pointer) {
        state.SkipWithError(("X11 stroke ends skipped: " + error).toStdString().c_str());
        return;
    }
    DrawingSurface surface(pointer->display());
    const QImage& picture = state.range(0) == 0 ? Dots() : Picture(kLineArt);
    RunState runs;
    RunServices services{*pointer, [] {}, SystemClock()};
    RunSettings settings;
    settings.WaitTime = 0;
    std::vector<double> seconds;
    std::int32_t strokes = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        strokes = RunDrawing(picture, 20, 40, settings, services, runs);
        XSync(pointer->display(), False);
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        surface.drain();
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    state.counters["run_ms"] = median * 1e3;
    state.counters["strokes"] = strokes;
    state.counters["us_per_stroke"] = median * 1e6 / strokes;
}

BENCHMARK(BM_X11StrokeEnds)
    ->ArgName("line_art")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace stylorex

BENCHMARK_MAIN();
