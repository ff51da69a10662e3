// `stylorex draw` as a new user runs it (no settings file: the follow mode, the default wait)
// into each page of tests/browser in Debian's Chromium under openbox, and into a new image of
// the GTK paint program of Debian's package drawing (its 1-px pencil): a row per target and
// picture. Counters: the command's time and exit code, what its own check found (missing,
// extra), and the screen read back by the benchmark (line pixels with ink within 1 px, ink
// farther than 1 px from the lines). Needs DISPLAY (an Xvfb of its own), openbox, chromium and
// the pages' packages installed by the browser_packages test (ctest -R browser_packages), and
// drawing.

#include "bench/acceptance_pictures.h"
#include "tests/browser/browser_page.h"
#include "tests/x11/drawing_program_target.h"
#include "tests/x11/screen_ink.h"
#include "tests/x11/window_manager.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <optional>

namespace stylorex {
namespace {

const char* const kPages[] = {"one_pixel", "atrament", "signature_pad", "drawing"};
constexpr int kMargin = 12;

void BM_BrowserPage(benchmark::State& state) {
    const QString page = QString::fromLatin1(kPages[state.range(0)]);
    const AcceptancePicture kind =
        state.range(1) == 0 ? AcceptancePicture::LineArt : AcceptancePicture::Text;
    state.SetLabel(page.toStdString() + "/" + AcceptancePictureName(kind).toStdString());
    testing::WindowManager manager;
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("stylorex"));
    if (!manager.running() || !QFile::copy(QStringLiteral(STYLOREX_PROGRAM), program)) {
        state.SkipWithError("skipped: no openbox, or the program could not be copied");
        return;
    }
    QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
    const QImage picture = MakeAcceptancePicture(kind);
    const QString file = dir.filePath(QStringLiteral("picture.png"));
    picture.save(file, "PNG");
    double seconds = 0;
    int exitCode = -1;
    QJsonObject check;
    testing::InkComparison ink;
    for (auto _ : state) {
        state.PauseTiming();
        std::optional<testing::BrowserPage> browser;
        std::optional<testing::DrawingProgramTarget> paintProgram;
        QRect canvas;
        QString error;
        if (page == QStringLiteral("drawing")) {
            paintProgram.emplace();
            canvas = paintProgram->canvas();
            error = paintProgram->error();
        } else {
            browser.emplace(QStringLiteral(STYLOREX_BROWSER_SITE), page);
            canvas = browser->canvas();
            error = browser->error();
        }
        if (!error.isEmpty()) {
            state.SkipWithError(("skipped: " + error).toStdString().c_str());
            return;
        }
        const QPoint origin = canvas.topLeft() + QPoint(20, 20);
        const QRect area =
            QRect(origin, picture.size()).adjusted(-kMargin, -kMargin, kMargin, kMargin);
        const QImage before = testing::SettledScreen(area);
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        QProcess stylorex;
        stylorex.start(program, {QStringLiteral("draw"), file, QStringLiteral("--at"),
                                 QStringLiteral("%1,%2").arg(origin.x()).arg(origin.y()),
                                 QStringLiteral("--json")});
        stylorex.waitForFinished(600000);
        seconds = static_cast<double>(timer.elapsed()) / 1000.0;
        state.PauseTiming();
        exitCode = stylorex.exitCode();
        check = QJsonDocument::fromJson(stylorex.readAllStandardOutput())
                    .object()
                    .value(QStringLiteral("check"))
                    .toObject();
        ink = testing::CompareInk(picture, QPoint(kMargin, kMargin), before,
                                  testing::SettledScreen(area));
        state.ResumeTiming();
    }
    state.counters["run_s"] = seconds;
    state.counters["exit"] = exitCode;
    state.counters["missing"] = check.value(QStringLiteral("missing")).toInt(-1);
    state.counters["extra"] = check.value(QStringLiteral("extra")).toInt(-1);
    state.counters["coverage_1px"] = ink.coverage;
    state.counters["far_ink"] = static_cast<double>(ink.far);
}

BENCHMARK(BM_BrowserPage)
    ->ArgNames({"page", "picture"})
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace stylorex

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);  // the text picture's font
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
