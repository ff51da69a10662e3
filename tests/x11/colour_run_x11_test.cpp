// Runs in colour into a colour paint program of the tests' own (SwatchTarget) through the X11
// backend, the screen read back: the one run path the window takes, and `stylorex draw`.
#include "engine/colour_run.h"
#include "os/x11/screen_x11.h"
#include "os/x11/x11_pointer.h"
#include "run/run_request.h"
#include "tests/x11/program_window.h"
#include "tests/x11/swatch_target.h"
#include "tests/x11/x11_session.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <variant>

#include <X11/Xlib.h>

namespace stylorex {
namespace {

using testing::SwatchTarget;
using Answer = SwatchTarget::Answer;

const QRgb kRed = qRgb(220, 30, 30);
const QRgb kGreen = qRgb(30, 160, 60);
const QRgb kBlue = qRgb(40, 60, 200);
const QRgb kBlack = qRgb(0, 0, 0);
const QRect kTargetArea(100, 100, 220, 120);

// Four inks that touch and cross: red bars along the top, a green double line down from them, a
// blue diagonal across it, and a black frame round everything.
QImage FourColourPicture() {
    QImage picture(60, 44, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 3; y <= 5; ++y) {
        for (int x = 5; x <= 50; ++x) {
            picture.setPixel(x, y, kRed);
        }
    }
    for (int y = 6; y <= 36; ++y) {
        picture.setPixel(10, y, kGreen);
        picture.setPixel(11, y, kGreen);
    }
    for (int i = 0; i < 26; ++i) {
        picture.setPixel(6 + i, 10 + i, kBlue);
    }
    for (int x = 1; x <= 58; ++x) {
        picture.setPixel(x, 1, kBlack);
        picture.setPixel(x, 40, kBlack);
    }
    for (int y = 1; y <= 40; ++y) {
        picture.setPixel(1, y, kBlack);
        picture.setPixel(58, y, kBlack);
    }
    return picture;
}

std::vector<SwatchTarget::Swatch> Swatches(Answer red, Answer green, Answer blue) {
    return {{kRed, red}, {kGreen, green}, {kBlue, blue}, {kBlack, Answer::Takes}};
}

class ColourRunX11 : public ::testing::Test {
  protected:
    void SetUp() override {
        backend = testing::OpenBackend();
        ASSERT_NE(backend, nullptr);
        QString error;
        screen = X11Screen::open(&error);
        ASSERT_NE(screen, nullptr) << error.toStdString();
        session.moveTo(5, 5);
    }
    void TearDown() override {
        target.reset();
        session.restore();
    }

    void openTarget(std::vector<SwatchTarget::Swatch> swatches) {
        target = std::make_unique<SwatchTarget>(kTargetArea, std::move(swatches));
        ASSERT_TRUE(target->mapped());
        origin = target->canvasTopLeft() + QPoint(10, 10);
    }

    RunSettings colourSettings() const {
        ColourSettings colour;
        for (int i = 0; i < 4; ++i) {
            colour.palette.swatches.push_back(
                {target->swatchCentre(i),
                 Swatches(Answer::Takes, Answer::Takes, Answer::Takes)[static_cast<std::size_t>(i)]
                     .colour});
        }
        RunSettings settings;
        settings.modes.FollowTarget = true;
        settings.colour = colour;
        return settings;
    }

    // The run as the window makes it: a request, made ready, drawn.
    void draw(const QImage& picture) {
        RunRequest request(picture, origin, colourSettings());
        auto ready = std::move(request).ready({backend.get(), {}, screen.get()});
        ASSERT_TRUE(std::holds_alternative<ReadyRun>(ready));
        ReadyRun& run = std::get<ReadyRun>(ready);
        RunServices services = run.services();
        try {
            run.draw(services, state);
        } catch (const InkNotTaken& error) {
            failure = QString::fromUtf8(error.what());
        }
        XSync(backend->display(), False);
        ASSERT_TRUE(target->settle());
    }

    // The picture's pixels on the screen, each with its colour.
    std::map<std::pair<int, int>, QRgb> expectedInk(const QImage& picture) const {
        std::map<std::pair<int, int>, QRgb> inked;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                if (picture.pixel(x, y) != qRgb(255, 255, 255)) {
                    inked[{origin.x() + x, origin.y() + y}] = picture.pixel(x, y);
                }
            }
        }
        return inked;
    }

    // The swatches pressed, in order.
    std::vector<int> swatchPresses() const {
        std::vector<int> swatches;
        for (const SwatchTarget::Press& press : target->presses()) {
            if (press.swatch >= 0) {
                swatches.push_back(press.swatch);
            }
        }
        return swatches;
    }

    // Each ink's strokes follow its swatch's click: every press on the canvas draws in the ink
    // of the swatch pressed last before it, and no canvas press comes before the first click.
    void expectStrokesAfterTheirSwatch() const {
        std::optional<QRgb> clicked;
        for (const SwatchTarget::Press& press : target->presses()) {
            if (press.swatch >= 0) {
                clicked = press.ink;
            } else {
                ASSERT_TRUE(clicked.has_value()) << "a stroke before any swatch click";
                EXPECT_EQ(press.ink, *clicked) << press.at.x() << "," << press.at.y();
            }
        }
    }

    void expectCheckedExact() const {
        const RunCheck& check = state.lastResult().check;
        EXPECT_EQ(check.outcome, RunCheck::Outcome::Checked);
        EXPECT_TRUE(check.missing.empty()) << check.missing.size();
        EXPECT_TRUE(check.extra.empty()) << check.extra.size();
        ASSERT_EQ(check.inks.size(), 4u);
        for (const RunCheck::InkTally& ink : check.inks) {
            EXPECT_EQ(ink.missing, 0);
            EXPECT_EQ(ink.extra, 0);
        }
    }

    // The program, the four-colour picture and a palette file of the target's swatches in `dir`.
    // The last line gives no colour: the command reads it from the screen.
    void prepareCommand(const QTemporaryDir& dir, QString& program, QString& picture,
                        QString& palette) {
        ASSERT_TRUE(dir.isValid());
        program = dir.filePath(QStringLiteral("stylorex"));
        ASSERT_NO_FATAL_FAILURE(testing::CopyProgram(QStringLiteral(STYLOREX_PROGRAM), program));
        picture = dir.filePath(QStringLiteral("four.png"));
        ASSERT_TRUE(FourColourPicture().save(picture, "PNG"));
        palette = dir.filePath(QStringLiteral("palette.txt"));
        QFile file(palette);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const auto entry = [&](int i, const char* colour) {
            const QPoint at = target->swatchCentre(i);
            return QStringLiteral("%1,%2 %3\n").arg(at.x()).arg(at.y()).arg(QLatin1String(colour));
        };
        file.write((QStringLiteral("# the target's swatches\n") + entry(0, "#DC1E1E") +
                    entry(1, "#1EA03C") + entry(2, "#283CC8") + entry(3, ""))
                       .toUtf8());
    }

    testing::X11Session session;
    std::unique_ptr<X11Pointer> backend;
    std::unique_ptr<X11Screen> screen;
    std::unique_ptr<SwatchTarget> target;
    QPoint origin;
    RunState state;
    QString failure;
};

TEST_F(ColourRunX11, FourColoursLandExactlyEachAfterItsSwatchAndTheCheckSaysSo) {
    ASSERT_NO_FATAL_FAILURE(openTarget(Swatches(Answer::Takes, Answer::Takes, Answer::Takes)));
    const QImage picture = FourColourPicture();
    ASSERT_NO_FATAL_FAILURE(draw(picture));
    EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
    EXPECT_EQ(state.lastResult().ending, RunResult::Ending::Completed);
    EXPECT_EQ(target->inked(), expectedInk(picture));
    expectStrokesAfterTheirSwatch();
    // One click per ink, the darkest (the frame) last so that it ends on top.
    const std::vector<int> clicks = swatchPresses();
    ASSERT_EQ(clicks.size(), 4u);
    EXPECT_EQ(std::set<int>(clicks.begin(), clicks.end()).size(), 4u);
    EXPECT_EQ(clicks.back(), 3);
    expectCheckedExact();
    EXPECT_FALSE(session.leftButtonDown());
}

TEST_F(ColourRunX11, ASwatchThatIgnoresTheFirstClickIsClickedAgainAndTheInkStillLands) {
    ASSERT_NO_FATAL_FAILURE(
        openTarget(Swatches(Answer::Takes, Answer::IgnoresFirstPress, Answer::Takes)));
    const QImage picture = FourColourPicture();
    ASSERT_NO_FATAL_FAILURE(draw(picture));
    EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
    EXPECT_EQ(target->inked(), expectedInk(picture));
    // Green's first click took nothing: its first press showed the ink before it, and the
    // swatch was clicked again before that pixel was pressed again.
    const std::vector<SwatchTarget::Press> presses = target->presses();
    std::vector<std::size_t> greenClicks;
    for (std::size_t i = 0; i < presses.size(); ++i) {
        if (presses[i].swatch == 1) {
            greenClicks.push_back(i);
        }
    }
    ASSERT_EQ(greenClicks.size(), 2u);
    ASSERT_EQ(greenClicks[1], greenClicks[0] + 2);
    const SwatchTarget::Press& wrong = presses[greenClicks[0] + 1];
    EXPECT_EQ(wrong.swatch, -1);
    EXPECT_NE(wrong.ink, kGreen);
    ASSERT_GT(presses.size(), greenClicks[1] + 1);
    EXPECT_EQ(presses[greenClicks[1] + 1].at, wrong.at) << "the same pixel pressed again";
    EXPECT_EQ(presses[greenClicks[1] + 1].ink, kGreen);
    expectCheckedExact();
    EXPECT_FALSE(session.leftButtonDown());
}

TEST_F(ColourRunX11, ASwatchThatNeverTakesStopsTheRunWithTheButtonUp) {
    ASSERT_NO_FATAL_FAILURE(openTarget(Swatches(Answer::Takes, Answer::Takes, Answer::NeverTakes)));
    ASSERT_NO_FATAL_FAILURE(draw(FourColourPicture()));
    EXPECT_EQ(failure, QStringLiteral("色を切り替えられませんでした（スウォッチ 3）"));
    EXPECT_EQ(state.lastResult().ending, RunResult::Ending::Failed);
    EXPECT_FALSE(state.inProgress());
    EXPECT_FALSE(session.leftButtonDown());
    // Blue's swatch twice, one press on the canvas after each, and nothing after the second.
    const std::vector<SwatchTarget::Press> presses = target->presses();
    ASSERT_GE(presses.size(), 4u);
    const auto last = presses.end() - 1;
    EXPECT_EQ(last->swatch, -1);
    EXPECT_NE(last->ink, kBlue);
    EXPECT_EQ((last - 1)->swatch, 2);
    EXPECT_EQ((last - 2)->swatch, -1);
    EXPECT_EQ((last - 3)->swatch, 2);
}

// `stylorex draw --palette`, the real program, into the same target: a swatch that never takes
// ends the command with the message and exit code 1, the button up.
TEST_F(ColourRunX11, TheDrawCommandStopsAtASwatchThatNeverTakesAndSaysWhich) {
    ASSERT_NO_FATAL_FAILURE(openTarget(Swatches(Answer::Takes, Answer::NeverTakes, Answer::Takes)));
    QTemporaryDir dir;
    QString program;
    QString picture;
    QString palette;
    ASSERT_NO_FATAL_FAILURE(prepareCommand(dir, program, picture, palette));
    QProcess process;
    process.start(program, {QStringLiteral("draw"), picture, QStringLiteral("--at"),
                            QStringLiteral("%1,%2").arg(origin.x()).arg(origin.y()),
                            QStringLiteral("--palette"), palette, QStringLiteral("--follow")});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("色を切り替えられませんでした（スウォッチ 2）")))
        << err.toStdString();
    EXPECT_FALSE(session.leftButtonDown());
    ASSERT_TRUE(target->settle());
    EXPECT_EQ(swatchPresses(), (std::vector<int>{0, 1, 1})) << "red first, then green twice";
}

// `--plan --json --within`: each ink's strokes, pixels and time, the black one read from the
// screen, and what a budget too short for everything leaves out; nothing is drawn.
TEST_F(ColourRunX11, ThePlanGivesEachInkAndWhatTheTimeBudgetLeavesOut) {
    ASSERT_NO_FATAL_FAILURE(openTarget(Swatches(Answer::Takes, Answer::Takes, Answer::Takes)));
    QTemporaryDir dir;
    QString program;
    QString picture;
    QString palette;
    ASSERT_NO_FATAL_FAILURE(prepareCommand(dir, program, picture, palette));
    const auto plan = [&](const QStringList& more) {
        QProcess process;
        process.start(program,
                      QStringList{QStringLiteral("draw"), picture, QStringLiteral("--at"),
                                  QStringLiteral("%1,%2").arg(origin.x()).arg(origin.y()),
                                  QStringLiteral("--palette"), palette, QStringLiteral("--plan"),
                                  QStringLiteral("--json"),
                                  // A wait after every pixel: about 3 s by the estimate.
                                  QStringLiteral("--wait"), QStringLiteral("7"),
                                  QStringLiteral("--no-follow"), QStringLiteral("--no-join-runs")} +
                          more);
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    };
    const QJsonObject whole = plan({});
    const QJsonArray inks = whole.value(QStringLiteral("inks")).toArray();
    ASSERT_EQ(inks.size(), 4);
    EXPECT_EQ(inks.last().toObject().value(QStringLiteral("ink")).toString(),
              QStringLiteral("#000000"));
    int strokes = 0;
    int pixels = 0;
    for (const QJsonValue ink : inks) {
        strokes += ink.toObject().value(QStringLiteral("strokes")).toInt();
        pixels += ink.toObject().value(QStringLiteral("pixels")).toInt();
        EXPECT_EQ(ink.toObject()
                      .value(QStringLiteral("left_out"))
                      .toObject()
                      .value(QStringLiteral("strokes")),
                  0);
    }
    EXPECT_EQ(strokes, whole.value(QStringLiteral("strokes")).toInt());
    EXPECT_EQ(pixels, static_cast<int>(expectedInk(FourColourPicture()).size()));

    const QJsonObject within = plan({QStringLiteral("--within"), QStringLiteral("1")});
    EXPECT_LE(within.value(QStringLiteral("estimated_seconds")).toDouble(), 1.0);
    int leftOut = 0;
    for (const QJsonValue ink : within.value(QStringLiteral("inks")).toArray()) {
        leftOut += ink.toObject()
                       .value(QStringLiteral("left_out"))
                       .toObject()
                       .value(QStringLiteral("strokes"))
                       .toInt();
    }
    EXPECT_GT(leftOut, 0);
    EXPECT_EQ(within.value(QStringLiteral("strokes")).toInt() + leftOut, strokes);

    // A palette file refused says the system's reason; a bad line reaches the terminal with its
    // control characters shown, not sent (here a title change).
    const auto refusal = [&](const QString& file) {
        QProcess process;
        process.start(program, {QStringLiteral("draw"), picture, QStringLiteral("--at"),
                                QStringLiteral("10,10"), QStringLiteral("--palette"), file,
                                QStringLiteral("--plan")});
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 1);
        return QString::fromLocal8Bit(process.readAllStandardError());
    };
    EXPECT_TRUE(refusal(dir.filePath(QStringLiteral("missing.txt")))
                    .contains(QString::fromLocal8Bit(std::strerror(ENOENT))));
    EXPECT_TRUE(refusal(dir.path()).contains(QString::fromLocal8Bit(std::strerror(EISDIR))));
    QFile bad(dir.filePath(QStringLiteral("bad.txt")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("10,10 #000000\n\x1b]0;owned\x07\n");
    bad.close();
    const QString said = refusal(bad.fileName());
    EXPECT_FALSE(said.contains(QChar(0x1b))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("\\x1B]0;owned\\x07"))) << said.toStdString();

    ASSERT_TRUE(target->settle());
    EXPECT_TRUE(target->presses().empty());
}

}  // namespace
}  // namespace stylorex
