// `stylorex draw`, the real executable, into a recording target window on a real X server:
// what it draws, where the pointer stood, how Esc and SIGTERM end it, and that its plan moves
// nothing and counts what the run does.
#include "bench/acceptance_pictures.h"
#include "canvas/picture_fit.h"
#include "tests/x11/painting_target.h"
#include "tests/x11/program_fixture.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include <X11/Xlib.h>

namespace stylorex {
namespace {

using testing::ExpectedRunEvents;
using testing::kOriginX;
using testing::kOriginY;
using testing::Pause;
using testing::ProgramX11;
using testing::ReceivedEvent;
using Kind = ReceivedEvent::Kind;

// The extraction ExpectedRunEvents assumes, so that no saved setting changes it.
const QStringList kDarkAt80 = {QStringLiteral("--mode"), QStringLiteral("dark"),
                               QStringLiteral("--black"), QStringLiteral("80")};

QPoint PointerPosition(Display* display) {
    Window root = 0;
    Window child = 0;
    int x = 0;
    int y = 0;
    int winX = 0;
    int winY = 0;
    unsigned int mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &winX, &winY, &mask);
    return {x, y};
}

class DrawCommandX11 : public ProgramX11 {
  protected:
    QString savePicture(const QImage& picture, const char* name) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(picture.save(path, "PNG"));
        return path;
    }

    // Starts `stylorex draw` with these arguments, its stdout kept, its stderr forwarded.
    void startDraw(const QStringList& arguments) {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, QStringList{QStringLiteral("draw")} + arguments);
        ASSERT_TRUE(process.waitForStarted(5000));
    }

    // Runs it to its end; returns its exit code, or -1 when it did not end normally in time.
    int runDraw(const QStringList& arguments) {
        startDraw(arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
            return -1;
        }
        return process.exitCode();
    }

    QJsonObject jsonOutput() {
        QJsonParseError error{};
        const QJsonDocument document =
            QJsonDocument::fromJson(process.readAllStandardOutput(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        return document.object();
    }

    static QString at(QPoint p) { return QStringLiteral("%1,%2").arg(p.x()).arg(p.y()); }

    // A run long enough to be stopped: every pixel of a white 200 × 200 picture is a line pixel
    // when nothing counts as white, drawn with a 3 ms wait.
    void startLongRun() {
        QImage white(200, 200, QImage::Format_RGB32);
        white.fill(Qt::white);
        ASSERT_NO_FATAL_FAILURE(startDraw({savePicture(white, "white.png"), QStringLiteral("--at"),
                                           at({kOriginX, kOriginY}), QStringLiteral("--mode"),
                                           QStringLiteral("nonwhite"), QStringLiteral("--white"),
                                           QStringLiteral("256"), QStringLiteral("--wait"),
                                           QStringLiteral("3"), QStringLiteral("--no-follow")}));
        // The run has begun once it holds the button; a stop before then would meet no run.
        ASSERT_TRUE(testing::Eventually([&] { return session.leftButtonDown(); }, 15000, 10))
            << "the run never pressed the button";
        Pause(300);
        ASSERT_EQ(process.state(), QProcess::Running) << "the run ended before it was stopped";
    }

    // The stopped run: exit code 3, the button up, the target's last event a release, and far
    // fewer of the 40,000 pixels drawn.
    void expectStopped() {
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 3);
        EXPECT_FALSE(session.leftButtonDown());
        const auto events = received();
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().kind, Kind::Release) << testing::Describe(events);
        EXPECT_LT(events.size(), 20000u);
    }
};

TEST_F(DrawCommandX11, DrawsTheStrokesOfTheWindowsRunAndLeavesTheSettingsAlone) {
    const QImage art = testing::LineArt(200);
    // The target records the events and paints nothing: drawn, not proven exact.
    ASSERT_EQ(
        runDraw(QStringList{savePicture(art, "art.png"), QStringLiteral("--at"),
                            at({kOriginX, kOriginY}), QStringLiteral("--wait"), QStringLiteral("0"),
                            QStringLiteral("--no-follow"), QStringLiteral("--no-join-runs")} +
                kDarkAt80),
        4);
    EXPECT_EQ(testing::WithoutRepeatedMotions(received()),
              ExpectedRunEvents(art, kOriginX, kOriginY));
    EXPECT_FALSE(session.leftButtonDown());
    EXPECT_FALSE(QFile::exists(iniPath())) << "the command wrote the settings file";
}

TEST_F(DrawCommandX11, PlanAtThePointerMovesNothingAndCountsWhatTheRunDraws) {
    const QImage art = testing::LineArt(200);
    const QString file = savePicture(art, "art.png");
    const QPoint pointer(kOriginX + 7, kOriginY + 3);
    session.moveTo(pointer.x(), pointer.y());
    target.discard();
    const QStringList arguments = QStringList{file,
                                              QStringLiteral("--at"),
                                              QStringLiteral("pointer"),
                                              QStringLiteral("--wait"),
                                              QStringLiteral("0"),
                                              QStringLiteral("--no-follow"),
                                              QStringLiteral("--no-join-runs"),
                                              QStringLiteral("--json")} +
                                  kDarkAt80;

    ASSERT_EQ(runDraw(arguments + QStringList{QStringLiteral("--plan")}), 0);
    const QJsonObject plan = jsonOutput();
    EXPECT_EQ(PointerPosition(session.display()), pointer);
    EXPECT_FALSE(session.leftButtonDown());
    EXPECT_TRUE(received().empty()) << "the plan moved the pointer";

    // The target paints nothing, and the result says so.
    ASSERT_EQ(runDraw(arguments), 4);
    const QJsonObject run = jsonOutput();
    EXPECT_FALSE(run.value(QStringLiteral("exact")).toBool(true));
    EXPECT_EQ(run.value(QStringLiteral("check")).toObject().value(QStringLiteral("outcome")),
              QStringLiteral("nothing_changed"));
    const auto events = testing::StrokeEvents(testing::WithoutRepeatedMotions(received()),
                                              QRect(pointer, art.size()));
    EXPECT_EQ(events, ExpectedRunEvents(art, pointer.x(), pointer.y()));

    const auto count = [&events](Kind kind) {
        return std::count_if(events.begin(), events.end(),
                             [kind](const ReceivedEvent& e) { return e.kind == kind; });
    };
    EXPECT_EQ(plan.value(QStringLiteral("strokes")).toInteger(), count(Kind::Press));
    EXPECT_EQ(run.value(QStringLiteral("strokes_drawn")).toInteger(), count(Kind::Press));
    EXPECT_EQ(plan.value(QStringLiteral("pixels")).toInteger(),
              static_cast<qint64>(testing::DarkPixels(art).size()));
    // Each stroke's motions: one to its start, then one per move inside it.
    EXPECT_EQ(plan.value(QStringLiteral("moves_in_strokes")).toInteger(),
              count(Kind::Motion) - count(Kind::Press));
    EXPECT_EQ(plan.value(QStringLiteral("origin")).toObject().value(QStringLiteral("x")).toInt(),
              pointer.x());
    EXPECT_EQ(run.value(QStringLiteral("result")).toString(), QStringLiteral("drawn"));
}

TEST_F(DrawCommandX11, EscMidRunEndsWithThreeAndTheButtonUp) {
    ASSERT_NO_FATAL_FAILURE(startLongRun());
    session.tapEsc();
    expectStopped();
}

TEST_F(DrawCommandX11, SigtermMidRunEndsWithThreeAndTheButtonUp) {
    ASSERT_NO_FATAL_FAILURE(startLongRun());
    process.terminate();
    expectStopped();

    // And at once while the check waits for ink that never shows (the target paints nothing,
    // which the check would wait out for seconds).
    QImage dot(10, 10, QImage::Format_RGB32);
    dot.fill(Qt::white);
    dot.setPixel(5, 5, qRgb(0, 0, 0));
    ASSERT_NO_FATAL_FAILURE(startDraw(
        QStringList{savePicture(dot, "dot.png"), QStringLiteral("--at"), at({kOriginX, kOriginY}),
                    QStringLiteral("--wait"), QStringLiteral("0"), QStringLiteral("--no-follow")} +
        kDarkAt80));
    std::vector<ReceivedEvent> events;
    ASSERT_TRUE(testing::Eventually(
        [&] {
            const auto more = received();
            events.insert(events.end(), more.begin(), more.end());
            return std::any_of(events.begin(), events.end(),
                               [](const ReceivedEvent& e) { return e.kind == Kind::Release; });
        },
        15000, 10))
        << "the dot was never drawn";
    Pause(300);
    ASSERT_EQ(process.state(), QProcess::Running) << "the check did not wait";
    QElapsedTimer answered;
    answered.start();
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_LT(answered.elapsed(), 1000);
    EXPECT_EQ(process.exitCode(), 3);
    EXPECT_FALSE(session.leftButtonDown());
}

TEST_F(DrawCommandX11, PlanImageMarksExactlyTheLinePixels) {
    const QImage art = testing::LineArt(200);
    const QString image = dir.filePath(QStringLiteral("plan.png"));
    ASSERT_EQ(runDraw(QStringList{savePicture(art, "art.png"), QStringLiteral("--at"),
                                  QStringLiteral("0,0"), QStringLiteral("--plan-image"), image} +
                      kDarkAt80),
              0);
    const QImage plan(image);
    ASSERT_EQ(plan.size(), art.size());
    std::set<std::pair<int, int>> marked;
    for (int y = 0; y < plan.height(); ++y) {
        for (int x = 0; x < plan.width(); ++x) {
            const QRgb c = plan.pixel(x, y);
            const int spread =
                std::max({qRed(c), qGreen(c), qBlue(c)}) - std::min({qRed(c), qGreen(c), qBlue(c)});
            if (spread > 63) {
                marked.insert({x, y});
            }
        }
    }
    EXPECT_EQ(marked, testing::DarkPixels(art));
    EXPECT_TRUE(received().empty()) << "the plan moved the pointer";
}

TEST_F(DrawCommandX11, LinesThatWouldLeaveTheScreenAreRefusedAsTheWindowRefusesThem) {
    const QString file = savePicture(testing::LineArt(200), "art.png");
    const QPoint before = PointerPosition(session.display());
    for (const char* origin : {"-50,-40", "1230,1000"}) {
        QProcess refused;
        refused.start(program, {QStringLiteral("draw"), file, QStringLiteral("--at"),
                                QString::fromLatin1(origin)});
        ASSERT_TRUE(refused.waitForFinished(30000)) << origin;
        EXPECT_EQ(refused.exitCode(), 1) << origin;
        EXPECT_TRUE(QString::fromLocal8Bit(refused.readAllStandardError())
                        .contains(QStringLiteral("描画範囲が画面からはみ出します")))
            << origin;
    }
    EXPECT_EQ(PointerPosition(session.display()), before);
    EXPECT_FALSE(session.leftButtonDown());
    EXPECT_TRUE(received().empty()) << "a refused run moved the pointer";

    // The plan says so too, and moves nothing either.
    ASSERT_EQ(runDraw({file, QStringLiteral("--at"), QStringLiteral("-50,-40"),
                       QStringLiteral("--plan"), QStringLiteral("--json")}),
              0);
    EXPECT_TRUE(jsonOutput().value(QStringLiteral("leaves_screen")).toBool());
}

TEST_F(DrawCommandX11, ASecondRunWhileOneDrawsIsRefusedAndTheFirstDrawsExactlyItsOwn) {
    const QImage art = testing::LineArt(200);
    ASSERT_NO_FATAL_FAILURE(startDraw(
        QStringList{savePicture(art, "art.png"), QStringLiteral("--at"), at({kOriginX, kOriginY}),
                    QStringLiteral("--wait"), QStringLiteral("2"), QStringLiteral("--no-follow"),
                    QStringLiteral("--no-join-runs")} +
        kDarkAt80));
    ASSERT_TRUE(testing::Eventually([&] { return session.leftButtonDown(); }, 15000, 10))
        << "the first run never pressed the button";

    // A dot inside the target: drawn, it would stand among the first run's events.
    QImage dot(10, 10, QImage::Format_RGB32);
    dot.fill(Qt::white);
    dot.setPixel(5, 5, qRgb(0, 0, 0));
    // However the second names the display, and wherever its environment puts runtime files.
    const QString display = qEnvironmentVariable("DISPLAY");
    const QString number = display.mid(display.lastIndexOf(QLatin1Char(':')) + 1);
    const QString regularFile = savePicture(dot, "dot.png");
    const std::vector<std::pair<QString, QString>> ways = {
        {QStringLiteral("DISPLAY"), display},
        {QStringLiteral("DISPLAY"), QStringLiteral("unix:") + number},
        {QStringLiteral("DISPLAY"), QStringLiteral(":%1.0").arg(number)},
        {QStringLiteral("XDG_RUNTIME_DIR"), QString()},
        {QStringLiteral("XDG_RUNTIME_DIR"), dir.path()},
        {QStringLiteral("XDG_RUNTIME_DIR"), regularFile},
        {QStringLiteral("TMPDIR"), dir.path()},
    };
    for (const auto& [variable, value] : ways) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (value.isEmpty()) {
            environment.remove(variable);
        } else {
            environment.insert(variable, value);
        }
        QProcess second;
        second.setProcessEnvironment(environment);
        second.start(program, {QStringLiteral("draw"), regularFile, QStringLiteral("--at"),
                               at({kOriginX + 250, kOriginY + 250}), QStringLiteral("--wait"),
                               QStringLiteral("0")});
        ASSERT_TRUE(second.waitForFinished(30000));
        EXPECT_EQ(second.exitCode(), 1) << variable.toStdString() << "=" << value.toStdString();
        EXPECT_TRUE(QString::fromLocal8Bit(second.readAllStandardError())
                        .contains(QStringLiteral("別の描画が実行中です")))
            << variable.toStdString() << "=" << value.toStdString();
        ASSERT_EQ(process.state(), QProcess::Running)
            << "the first run ended before the second was refused";
    }

    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 4);  // the target paints nothing
    const auto events = testing::WithoutRepeatedMotions(received());
    EXPECT_EQ(events, ExpectedRunEvents(art, kOriginX, kOriginY)) << testing::Describe(events);
    EXPECT_FALSE(session.leftButtonDown());
}

// A picture larger than the largest canvas: lines in its top-left part only, so that fitted
// they still land inside the target.
TEST_F(DrawCommandX11, FitDrawsTheLargePictureScaledAsTheFittedLoadScalesIt) {
    QImage large(1000, 600, QImage::Format_RGB32);
    large.fill(Qt::white);
    for (int i = 20; i < 300; ++i) {
        large.setPixel(i, 30, qRgb(0, 0, 0));
        large.setPixel(25, i, qRgb(0, 0, 0));
        large.setPixel(i, i, qRgb(0, 0, 0));
    }
    const QString file = savePicture(large, "large.png");
    ASSERT_EQ(runDraw({file, QStringLiteral("--at"), at({kOriginX, kOriginY})}), 1);
    EXPECT_TRUE(received().empty());

    const QImage fitted = FitPictureWithin(large, QSize(600, 480), PictureScaling::LineArt);
    ASSERT_EQ(fitted.size(), QSize(600, 360));
    ASSERT_EQ(
        runDraw(QStringList{file, QStringLiteral("--fit"), QStringLiteral("--at"),
                            at({kOriginX, kOriginY}), QStringLiteral("--wait"), QStringLiteral("0"),
                            QStringLiteral("--no-follow"), QStringLiteral("--no-join-runs")} +
                kDarkAt80),
        4);  // the target records and paints nothing: drawn, not proven exact
    EXPECT_EQ(testing::WithoutRepeatedMotions(received()),
              ExpectedRunEvents(fitted, kOriginX, kOriginY));

    // The smooth scaling the window keeps in the settings: the diagonal comes out grey there.
    writeIni("[Other]\r\nSmoothScaling=1\r\n");
    ASSERT_EQ(runDraw(QStringList{file, QStringLiteral("--fit"), QStringLiteral("--at"),
                                  QStringLiteral("0,0"), QStringLiteral("--plan"),
                                  QStringLiteral("--json")} +
                      kDarkAt80),
              0);
    EXPECT_EQ(jsonOutput().value(QStringLiteral("pixels")).toInteger(),
              static_cast<qint64>(testing::DarkPixels(FitPictureWithin(large, QSize(600, 480),
                                                                       PictureScaling::Smooth))
                                      .size()));
}

// A target that lags and loses moves at the fixed wait: drawn to the end, but not exact, and the
// command says so with exit code 4 and the counts the screen shows.
TEST_F(DrawCommandX11, ATargetThatLosesPixelsGivesExitCodeFourWithTheCountsItShows) {
    const QImage art = testing::LineArt(200);
    testing::PaintingTarget lags(testing::PaintingTarget::Kind::LagsAndAsksForThePointer,
                                 QRect(kOriginX, kOriginY, 200, 200));
    ASSERT_TRUE(lags.mapped());
    ASSERT_EQ(
        runDraw(QStringList{savePicture(art, "art.png"), QStringLiteral("--at"),
                            at({kOriginX, kOriginY}), QStringLiteral("--wait"), QStringLiteral("0"),
                            QStringLiteral("--no-follow"), QStringLiteral("--json")} +
                kDarkAt80),
        4);
    ASSERT_TRUE(lags.settle());
    testing::PixelSet expected;
    for (const auto& [x, y] : testing::DarkPixels(art)) {
        expected.insert({kOriginX + x, kOriginY + y});
    }
    const testing::PixelSet inked = lags.inked();
    const auto missing = testing::Minus(expected, inked).size();
    const auto extra = testing::Minus(inked, expected).size();
    ASSERT_GT(missing + extra, 0u) << "the lagging target came out exact";
    const QJsonObject result = jsonOutput();
    EXPECT_FALSE(result.value(QStringLiteral("exact")).toBool(true));
    const QJsonObject check = result.value(QStringLiteral("check")).toObject();
    EXPECT_EQ(check.value(QStringLiteral("outcome")).toString(), QStringLiteral("checked"));
    EXPECT_EQ(check.value(QStringLiteral("missing")).toInteger(), static_cast<qint64>(missing));
    EXPECT_EQ(check.value(QStringLiteral("extra")).toInteger(), static_cast<qint64>(extra));
    EXPECT_FALSE(session.leftButtonDown());
}

// Into a target whose pen is three pixels across, the exact check finds the pen's ink beside the
// lines (exit code 4); told the pen's width, the command checks within its radius and ends with
// 0, saying which check it made.
TEST_F(DrawCommandX11, AWidePenTargetPassesTheTolerantCheckWithExitCodeZero) {
    const QImage shapes = MakeAcceptancePicture(AcceptancePicture::FilledShapes);
    testing::PaintingTarget wide(
        testing::PaintingTarget::Kind::JoinsEveryMotion,
        QRect(kOriginX - 10, kOriginY - 10, shapes.width() + 20, shapes.height() + 20),
        std::chrono::milliseconds(0), testing::PaintingTarget::Placement::Unmanaged,
        testing::PaintingTarget::DrawsWithAThreePixelPen);
    ASSERT_TRUE(wide.mapped());
    const QStringList arguments =
        QStringList{savePicture(shapes, "shapes.png"), QStringLiteral("--at"),
                    at({kOriginX, kOriginY}), QStringLiteral("--follow"),
                    QStringLiteral("--json")} +
        kDarkAt80;
    EXPECT_EQ(runDraw(arguments + QStringList{QStringLiteral("--check"), QStringLiteral("exact")}),
              4);
    EXPECT_EQ(
        jsonOutput().value(QStringLiteral("check")).toObject().value(QStringLiteral("tolerance")),
        0);
    ASSERT_TRUE(wide.settle());
    wide.wipe();

    ASSERT_EQ(runDraw(arguments + QStringList{QStringLiteral("--pen"), QStringLiteral("3")}), 0);
    const QJsonObject result = jsonOutput();
    EXPECT_FALSE(result.value(QStringLiteral("exact")).toBool(true)) << "not the exact check";
    EXPECT_EQ(result.value(QStringLiteral("pen")).toInteger(), 3);
    const QJsonObject check = result.value(QStringLiteral("check")).toObject();
    EXPECT_EQ(check.value(QStringLiteral("tolerance")).toInteger(), 2);
    EXPECT_EQ(check.value(QStringLiteral("missing")).toInteger(), 0);
    EXPECT_EQ(check.value(QStringLiteral("extra")).toInteger(), 0);
    EXPECT_FALSE(session.leftButtonDown());
}

// The outline shows where the lines will land while `--delay` counts down, for less time than
// it would show by itself, and the run takes it away before its first press: neither the target
// nor the check ever sees it.
TEST_F(DrawCommandX11, TheOutlineShowsDuringTheCountdownAndIsGoneAtTheFirstPress) {
    QImage frame(100, 60, QImage::Format_RGB32);
    frame.fill(Qt::white);
    for (int x = 10; x <= 89; ++x) {
        frame.setPixel(x, 10, qRgb(0, 0, 0));
        frame.setPixel(x, 50, qRgb(0, 0, 0));
    }
    for (int y = 10; y <= 50; ++y) {
        frame.setPixel(10, y, qRgb(0, 0, 0));
        frame.setPixel(89, y, qRgb(0, 0, 0));
    }
    testing::PaintingTarget paints(testing::PaintingTarget::Kind::JoinsEveryMotion,
                                   QRect(kOriginX, kOriginY, 200, 200));
    ASSERT_TRUE(paints.mapped());
    // Round the lines, the ring's width outside them.
    const QRect ring(kOriginX + 8, kOriginY + 8, 84, 45);
    const auto redOnRing = [&] {
        const QImage shown = testing::ScreenPixels(session.display(), ring.x(), ring.y(),
                                                   ring.width(), ring.height());
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                if ((shown.pixel(x, y) & 0xffffffu) == 0xff0000u) {
                    return true;
                }
            }
        }
        return false;
    };
    ASSERT_FALSE(redOnRing());

    ASSERT_NO_FATAL_FAILURE(
        startDraw(QStringList{savePicture(frame, "frame.png"), QStringLiteral("--at"),
                              at({kOriginX, kOriginY}), QStringLiteral("--delay"),
                              QStringLiteral("1.5"), QStringLiteral("--wait"), QStringLiteral("3"),
                              QStringLiteral("--no-follow"), QStringLiteral("--json")} +
                  kDarkAt80));
    // A 3 ms wait holds the button down for a quarter of a second at least, long enough for
    // these looks at the screen to see it.
    bool seenBeforePress = false;
    ASSERT_TRUE(testing::Eventually(
        [&] {
            seenBeforePress = seenBeforePress || (!session.leftButtonDown() && redOnRing());
            return session.leftButtonDown();
        },
        15000, 1))
        << "the run never pressed the button";
    EXPECT_FALSE(redOnRing()) << "the outline was still on the screen at the first press";
    EXPECT_TRUE(seenBeforePress) << "the outline never showed during the countdown";

    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0);
    const QJsonObject check = jsonOutput().value(QStringLiteral("check")).toObject();
    EXPECT_EQ(check.value(QStringLiteral("outcome")).toString(), QStringLiteral("checked"));
    EXPECT_EQ(check.value(QStringLiteral("missing")).toInteger(), 0);
    EXPECT_EQ(check.value(QStringLiteral("extra")).toInteger(), 0);
}

}  // namespace
}  // namespace stylorex
