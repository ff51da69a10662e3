// The real program as a new user starts it (no settings file) drawing line art and text into
// pages in Debian's Chromium under openbox: a page of our own that inks exactly the pixel under
// each pointer position, and two drawing widgets from npm (atrament, signature_pad) whose pens
// ink at pixel corners, antialiased and smoothed; and a GTK paint program from Debian whose pencil
// inks the same way. Each picture goes into a new page or a new image; the screen is read back by
// the test itself and compared with the picture.

#include "bench/acceptance_pictures.h"
#include "tests/browser/browser_page.h"
#include "tests/x11/drawing_program_target.h"
#include "tests/x11/program_window.h"
#include "tests/x11/screen_ink.h"
#include "tests/x11/window_manager.h"
#include "tests/x11/x11_session.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace stylorex {
namespace {

using testing::BrowserPage;
using testing::InkComparison;

// Around the picture, the part of the canvas read back for ink that strayed from it.
constexpr int kMargin = 12;

struct Drawn {
    int exitCode = -1;
    QJsonObject result;
    InkComparison ink;
};

class BrowserPages : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(manager.running());
        program = dir.filePath(QStringLiteral("stylorex"));
        ASSERT_NO_FATAL_FAILURE(testing::CopyProgram(QStringLiteral(STYLOREX_PROGRAM), program));
        session.moveTo(1270, 1010);
    }

    void TearDown() override {
        testing::StopProgram(stylorex);
        session.restore();
    }

    // `stylorex draw` with its defaults of `kind` into a new page of `page`, then the screen.
    void draw(const QString& page, AcceptancePicture kind, Drawn& drawn) {
        if (page == QStringLiteral("drawing")) {
            testing::DrawingProgramTarget target;
            ASSERT_TRUE(target.ready()) << target.error().toStdString();
            drawInto(page, target.canvas(), kind, drawn);
            return;
        }
        BrowserPage browser(QStringLiteral(STYLOREX_BROWSER_SITE), page);
        ASSERT_TRUE(browser.ready()) << browser.error().toStdString();
        drawInto(page, browser.canvas(), kind, drawn);
    }

    // `stylorex draw` of `kind` onto `canvas`, named `target` in the log; ink is compared with
    // the picture within `reach` pixels.
    void drawInto(const QString& target, QRect canvas, AcceptancePicture kind, Drawn& drawn,
                  int reach = 1) {
        const QImage picture = MakeAcceptancePicture(kind);
        const QString file = dir.filePath(QStringLiteral("picture.png"));
        ASSERT_TRUE(picture.save(file, "PNG"));
        const QPoint origin = canvas.topLeft() + QPoint(20, 20);
        const QRect area =
            QRect(origin, picture.size()).adjusted(-kMargin, -kMargin, kMargin, kMargin);
        const QImage before = testing::SettledScreen(area);

        QElapsedTimer timer;
        timer.start();
        stylorex.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        stylorex.start(program, {QStringLiteral("draw"), file, QStringLiteral("--at"),
                                 QStringLiteral("%1,%2").arg(origin.x()).arg(origin.y()),
                                 QStringLiteral("--json")});
        ASSERT_TRUE(stylorex.waitForFinished(240000));
        const double seconds = static_cast<double>(timer.elapsed()) / 1000.0;
        drawn.exitCode = stylorex.exitCode();
        drawn.result = QJsonDocument::fromJson(stylorex.readAllStandardOutput()).object();
        const QImage after = testing::SettledScreen(area);
        drawn.ink = testing::CompareInk(picture, QPoint(kMargin, kMargin), before, after, reach);
        EXPECT_FALSE(session.leftButtonDown());
        // What a reader of the log needs to compare runs: not asserted, as times vary.
        std::printf(
            "%s %s: exit %d in %.1f s; missing %zu extra %zu of %zu; coverage within %d px "
            "%.4f, far ink %zu; its check: %s\n",
            target.toUtf8().constData(), AcceptancePictureName(kind).toUtf8().constData(),
            drawn.exitCode, seconds, drawn.ink.missing, drawn.ink.extra, drawn.ink.linePixels,
            reach, drawn.ink.coverage, drawn.ink.far,
            QJsonDocument(drawn.result.value(QStringLiteral("check")).toObject())
                .toJson(QJsonDocument::Compact)
                .constData());
    }

    // Every line pixel has ink within 1 px, and no ink lies farther from the lines, in `page` or
    // in the paint program (`drawing`).
    void expectCovered(const QString& page) {
        for (const AcceptancePicture kind : {AcceptancePicture::LineArt, AcceptancePicture::Text}) {
            SCOPED_TRACE(AcceptancePictureName(kind).toStdString());
            Drawn drawn;
            ASSERT_NO_FATAL_FAILURE(draw(page, kind, drawn));
            EXPECT_GE(drawn.ink.coverage, 0.99);
            EXPECT_EQ(drawn.ink.far, 0U);
            EXPECT_EQ(drawn.exitCode, 0) << "not checked within the pen's tolerance";
            EXPECT_EQ(drawn.result.value(QStringLiteral("check"))
                          .toObject()
                          .value(QStringLiteral("tolerance"))
                          .toInt(-1),
                      1);
        }
    }

    QTemporaryDir dir;
    QString program;
    testing::WindowManager manager;
    testing::X11Session session;
    QProcess stylorex;
};

// A page that inks the pixel under each position it gets, also those Chromium batches into one
// event: exact by default, checked exact, and the screen shows the picture's pixels alone.
TEST_F(BrowserPages, TheOnePixelPageGetsLineArtAndTextExactlyAndTheCommandExitsZero) {
    for (const AcceptancePicture kind : {AcceptancePicture::LineArt, AcceptancePicture::Text}) {
        SCOPED_TRACE(AcceptancePictureName(kind).toStdString());
        Drawn drawn;
        ASSERT_NO_FATAL_FAILURE(draw(QStringLiteral("one_pixel"), kind, drawn));
        EXPECT_EQ(drawn.exitCode, 0) << "drawn, but not checked exact";
        EXPECT_TRUE(drawn.result.value(QStringLiteral("exact")).toBool());
        const QJsonObject check = drawn.result.value(QStringLiteral("check")).toObject();
        EXPECT_EQ(check.value(QStringLiteral("missing")).toInt(-1), 0);
        EXPECT_EQ(check.value(QStringLiteral("extra")).toInt(-1), 0);
        EXPECT_EQ(drawn.ink.missing, 0U) << "line pixels without ink on the screen";
        EXPECT_EQ(drawn.ink.extra, 0U) << "pixels inked beside the lines";
    }
}

// atrament's 1-px pen inks along pixel corners in grey, and a click inks nothing: the run learns
// the soft pen from its shades, waits for ink around the pointer, draws dots as a step aside and
// back, and checks with a pixel's tolerance. Every line pixel gets ink within a pixel, none lands
// farther, and the command exits 0.
TEST_F(BrowserPages, AtramentGetsLineArtAndTextWithinOnePixel) {
    expectCovered(QStringLiteral("atrament"));
}

// signature_pad smooths its points into curves a point behind the pointer and leaves out points
// close together: the run learns it from a step back at a run's end, then sends each stroke as
// keys a few pixels apart, a frame each, and a move past the end. Every line pixel gets ink within
// a pixel, none lands farther, and the command exits 0.
TEST_F(BrowserPages, SignaturePadGetsLineArtAndTextWithinOnePixel) {
    expectCovered(QStringLiteral("signature_pad"));
}

// drawing's pencil inks along pixel corners too and smooths its positions into curves through
// them. While the button is down it shows a stroke only a move late and at most once in 33 ms,
// and it draws the whole stroke again on release: the run learns it from the step back as it
// learns signature_pad, and from the first release that it draws on to the end by itself.
using DesktopPrograms = BrowserPages;
TEST_F(DesktopPrograms, DrawingsPencilGetsLineArtAndTextWithinOnePixel) {
    expectCovered(QStringLiteral("drawing"));
}

// Its pencil three pixels wide, which the run is not told: the check measures the pen across the
// lines and takes its tolerance, two pixels; every line pixel has ink within two, none is
// farther, and the command exits 0.
TEST_F(DesktopPrograms, AWiderPencilIsMeasuredAndCheckedWithinItsReach) {
    testing::DrawingProgramTarget target(3);
    ASSERT_TRUE(target.ready()) << target.error().toStdString();
    Drawn drawn;
    ASSERT_NO_FATAL_FAILURE(drawInto(QStringLiteral("drawing, 3-px pencil"), target.canvas(),
                                     AcceptancePicture::LineArt, drawn, 2));
    EXPECT_EQ(drawn.exitCode, 0);
    EXPECT_EQ(
        drawn.result.value(QStringLiteral("check")).toObject().value(QStringLiteral("tolerance")),
        2);
    EXPECT_GE(drawn.ink.coverage, 0.99);
    EXPECT_EQ(drawn.ink.far, 0U);
}

}  // namespace
}  // namespace stylorex
