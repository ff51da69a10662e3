// Runs through the X11 backend into paint programs of the tests' own, the screen read back
// through X11Screen: what the target inked is what the run and its check must agree on. No fake
// is on the path.
#include "bench/acceptance_pictures.h"
#include "engine/drawing_run.h"
#include "engine/ink_follower.h"
#include "os/x11/screen_x11.h"
#include "os/x11/x11_pointer.h"
#include "tests/support/recording_observer.h"
#include "tests/x11/busy_processors.h"
#include "tests/x11/painting_target.h"
#include "tests/x11/program_window.h"
#include "tests/x11/target_window.h"
#include "tests/x11/x11_session.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <set>
#include <thread>

#include <X11/Xlib.h>

namespace stylorex {
namespace {

using testing::kOriginX;
using testing::kOriginY;
using testing::PaintingTarget;
using Pixels = testing::PixelSet;

// The backend, counting the moves that reach it.
class CountingPointer : public PointerDevice {
  public:
    explicit CountingPointer(PointerDevice& inner)
        : PointerDevice(inner.stopWatch(), inner.limits()), inner_(inner) {}
    void moveTo(int x, int y) override {
        ++moves;
        inner_.moveTo(x, y);
    }
    void pressLeft(int x, int y) override { inner_.pressLeft(x, y); }
    void releaseLeft(int x, int y) override { inner_.releaseLeft(x, y); }
    QPoint position() override { return inner_.position(); }
    QSize primaryScreenSize() override { return inner_.primaryScreenSize(); }
    void runStarting() override { inner_.runStarting(); }
    void runEnded() override { inner_.runEnded(); }

    int moves = 0;

  private:
    PointerDevice& inner_;
};

class PaintingRunX11 : public ::testing::Test {
  protected:
    void SetUp() override {
        backend = testing::OpenBackend();
        ASSERT_NE(backend, nullptr);
        pointer.emplace(*backend);
        QString error;
        screen = X11Screen::open(&error);
        ASSERT_NE(screen, nullptr) << error.toStdString();
        session.moveTo(5, 5);
    }
    void TearDown() override {
        target.reset();
        session.restore();
    }

    // A target of `kind` around a picture of `size` at the origin.
    void openTarget(PaintingTarget::Kind kind, QSize size,
                    std::chrono::milliseconds paintDelay = std::chrono::milliseconds(0),
                    unsigned habits = 0) {
        target.reset();
        target = std::make_unique<PaintingTarget>(
            kind, QRect(kOriginX - 10, kOriginY - 10, size.width() + 20, size.height() + 20),
            paintDelay, PaintingTarget::Placement::Unmanaged, habits);
        ASSERT_TRUE(target->mapped());
    }

    // Follows each picture into a new target of `kind`: the target inks exactly the picture,
    // and the check, made from the screen, says so.
    void followsExactly(PaintingTarget::Kind kind, std::vector<AcceptancePicture> pictures,
                        std::chrono::milliseconds paintDelay = std::chrono::milliseconds(0),
                        unsigned habits = 0) {
        RunSettings settings;
        settings.modes.FollowTarget = true;
        for (const AcceptancePicture which : pictures) {
            SCOPED_TRACE(AcceptancePictureName(which).toStdString());
            const QImage picture = MakeAcceptancePicture(which);
            openTarget(kind, picture.size(), paintDelay, habits);
            run(picture, settings);
            const RunCheck& check = runs.lastResult().check;
            EXPECT_EQ(target->inked(), LinePixels(picture));
            EXPECT_EQ(check.outcome, RunCheck::Outcome::Checked);
            EXPECT_EQ(check.missing.size() + check.extra.size(), 0U);
            EXPECT_FALSE(session.leftButtonDown());
        }
    }

    std::int32_t run(const QImage& picture, const RunSettings& settings,
                     std::function<void()> yield = {}) {
        RunServices services{*pointer, std::move(yield), SystemClock()};
        services.screen = screen.get();
        services.observer = &observer;
        const std::int32_t strokes =
            RunDrawing(picture, kOriginX, kOriginY, settings, services, runs);
        XSync(backend->display(), False);
        EXPECT_TRUE(target->settle());
        return strokes;
    }

    void resume(const RunSettings& settings) {
        RunServices services{*pointer, {}, SystemClock()};
        services.screen = screen.get();
        ResumeDrawing(settings, services, runs);
        XSync(backend->display(), False);
        ASSERT_TRUE(target->settle());
    }

    // The line pixels the runs so far have drawn.
    int drawnSoFar() const {
        const ScanTables& tables = runs.tables();
        int drawn = 0;
        for (std::size_t i = 1; tables.StartPointList[i].X >= 0; ++i) {
            drawn += tables.PixelMap(tables.StartPointList[i]).Undrawn ? 0 : 1;
        }
        return drawn;
    }

    // The picture's line pixels on the screen.
    static Pixels LinePixels(const QImage& picture) {
        Pixels pixels;
        for (const auto& [x, y] : testing::DarkPixels(picture)) {
            pixels.insert({kOriginX + x, kOriginY + y});
        }
        return pixels;
    }

    testing::X11Session session;
    std::unique_ptr<X11Pointer> backend;
    std::optional<CountingPointer> pointer;
    std::unique_ptr<X11Screen> screen;
    std::unique_ptr<PaintingTarget> target;
    RecordingObserver observer;
    RunState runs;
};

TEST_F(PaintingRunX11, LaggingTargetMissesAtTheFixedWaitAsCheckedAndFollowedDrawsExactly) {
    const QImage picture = testing::LineArt(200);
    const Pixels expected = LinePixels(picture);
    openTarget(PaintingTarget::Kind::LagsAndAsksForThePointer, picture.size());
    RunSettings settings;
    settings.WaitTime = 5;
    settings.modes.FollowTarget = false;
    run(picture, settings);
    RunCheck check = runs.lastResult().check;
    ASSERT_EQ(check.outcome, RunCheck::Outcome::Checked);
    const Pixels inked = target->inked();
    const Pixels missing = testing::Minus(expected, inked);
    const Pixels extra = testing::Minus(inked, expected);
    EXPECT_FALSE(missing.empty() && extra.empty()) << "the lagging target came out exact";
    EXPECT_EQ(testing::ToPixelSet(check.missing), missing);
    EXPECT_EQ(testing::ToPixelSet(check.extra), extra);

    target->wipe();
    settings.modes.FollowTarget = true;
    run(picture, settings);
    check = runs.lastResult().check;
    EXPECT_EQ(target->inked(), expected);
    EXPECT_EQ(check.outcome, RunCheck::Outcome::Checked);
    EXPECT_TRUE(check.missing.empty());
    EXPECT_TRUE(check.extra.empty());
    EXPECT_FALSE(check.fellBack);
    EXPECT_FALSE(session.leftButtonDown());
}

TEST_F(PaintingRunX11, FollowedRunsDrawExactlyIntoATargetThatTakesOnlyTheMovesMadeWhileItIsFree) {
    followsExactly(PaintingTarget::Kind::JoinsHintPositions,
                   {AcceptancePicture::LineArt, AcceptancePicture::Text});
}

TEST_F(PaintingRunX11, FollowedRunsDrawExactlyIntoATargetThatJoinsAtPixelCorners) {
    followsExactly(
        PaintingTarget::Kind::JoinsAtPixelCorners,
        {AcceptancePicture::LineArt, AcceptancePicture::Text, AcceptancePicture::FilledShapes});
}

// Its steps up-right and down-left are made as a release and a press, learned from the first
// ones, without a pixel wrong on the way and without waiting on an end that never inks: no end
// is handed again, nothing is mended.
TEST_F(PaintingRunX11,
       FollowedRunsDrawExactlyIntoATargetThatLeavesUpRightAndDownLeftEndsToTheNextStep) {
    for (const AcceptancePicture which :
         {AcceptancePicture::LineArt, AcceptancePicture::Text, AcceptancePicture::FilledShapes}) {
        pointer->moves = 0;
        followsExactly(PaintingTarget::Kind::LeavesUpRightAndDownLeftEndsToTheNextStep, {which});
        const RunPlan plan = PlanPicture(MakeAcceptancePicture(which), {}, {});
        EXPECT_EQ(runs.lastResult().check.mendPresses, 0);
        // A move to each pixel, the one away from the picture before the check, and a second
        // one for each of two trial steps at most.
        EXPECT_LE(pointer->moves, plan.moves + plan.strokes + 1 + 2);
    }
}

TEST_F(PaintingRunX11, FollowedRunsStayExactWithEveryProcessorBusy) {
    const testing::BusyProcessors busy;
    ASSERT_GE(busy.count(), 1U);
    followsExactly(PaintingTarget::Kind::LagsAndAsksForThePointer, {AcceptancePicture::LineArt});
    followsExactly(PaintingTarget::Kind::JoinsHintPositions, {AcceptancePicture::LineArt});
}

TEST_F(PaintingRunX11, ATargetThatPaintsSecondsLateIsCheckedOnceItHasPainted) {
    // A target that queues its work, as a raster editor does, and joins at pixel corners.
    followsExactly(PaintingTarget::Kind::JoinsAtPixelCorners, {AcceptancePicture::LineArt},
                   std::chrono::milliseconds(1500));
    // At the fixed wait nothing shows until after the run: not "nothing changed".
    const QImage picture = testing::LineArt(200);
    openTarget(PaintingTarget::Kind::JoinsEveryMotion, picture.size(),
               std::chrono::milliseconds(1500));
    RunSettings settings;
    settings.WaitTime = 0;
    settings.modes.FollowTarget = false;
    observer.events.clear();
    run(picture, settings);
    const RunCheck& check = runs.lastResult().check;
    EXPECT_EQ(check.outcome, RunCheck::Outcome::Checked);
    EXPECT_EQ(check.missing.size() + check.extra.size(), 0U);
    EXPECT_EQ(target->inked(), LinePixels(picture));
    const auto checking = std::find(observer.events.begin(), observer.events.end(), "checking");
    ASSERT_NE(checking, observer.events.end());
    EXPECT_EQ(std::find(checking, observer.events.end(), "checked") - checking, 1);
}

// A target that queues its work shows the ink a frame late but keeps every move: after a probe
// at the rectangle's corner it is no longer waited for at each turn (the pace against the fixed
// wait 0 is bench_run's BM_LateTarget). A painting program's brush also drops the dab at a press
// when a move follows at once: once the first strokes show that, each stroke's first move waits
// for the press's ink, and the check has next to nothing left to mend.
TEST_F(PaintingRunX11, ATargetThatShowsInkAFrameLateOrDropsThePressDabIsFollowedExactly) {
    followsExactly(PaintingTarget::Kind::JoinsEveryMotion,
                   {AcceptancePicture::LineArt, AcceptancePicture::Text},
                   std::chrono::milliseconds(16));
    EXPECT_EQ(runs.lastResult().check.mendPresses, 0);
    followsExactly(PaintingTarget::Kind::JoinsEveryMotion, {AcceptancePicture::LineArt},
                   std::chrono::milliseconds(100), PaintingTarget::DropsPressDabOnQuickMove);
    EXPECT_LE(runs.lastResult().check.mendPresses, 3) << "the presses were not waited for";
}

// A pixel-art editor paints its cursor, a cross, into the canvas under the pointer: read back
// with the pointer still on the last pixel, the cross would count as ink.
TEST_F(PaintingRunX11, ATargetThatPaintsItsCursorIntoTheCanvasIsCheckedWithThePointerAway) {
    followsExactly(PaintingTarget::Kind::JoinsEveryMotion,
                   {AcceptancePicture::LineArt, AcceptancePicture::Text},
                   std::chrono::milliseconds(0), PaintingTarget::DrawsCursorCross);
    EXPECT_EQ(backend->position(), QPoint(5, 5)) << "the pointer is not back where it was";
}

TEST_F(PaintingRunX11, FollowingATargetThatNeverPaintsFallsBackToTheFixedWait) {
    const QImage picture = testing::LineArt(200);
    openTarget(PaintingTarget::Kind::NeverPaints, picture.size());
    RunSettings settings;
    settings.WaitTime = 0;
    settings.modes.FollowTarget = true;
    std::optional<std::chrono::steady_clock::duration> fellBackAfter;
    const auto start = std::chrono::steady_clock::now();
    observer.onEvent = [&](const std::string& line) {
        if (line == "fell back" && !fellBackAfter) {
            fellBackAfter = std::chrono::steady_clock::now() - start;
        }
    };
    EXPECT_EQ(run(picture, settings), PlanPicture(picture, {}, {}).strokes);
    EXPECT_EQ(runs.lastResult().ending, RunResult::Ending::Completed);
    // Twenty waits of the whole limit came before it.
    ASSERT_TRUE(fellBackAfter.has_value());
    EXPECT_GE(*fellBackAfter, InkFollower::kGiveUpsBeforeFallBack * InkFollower::kLimit);
    const RunCheck& check = runs.lastResult().check;
    EXPECT_TRUE(check.fellBack);
    EXPECT_EQ(check.outcome, RunCheck::Outcome::NothingChanged);
    EXPECT_FALSE(session.leftButtonDown());
}

TEST_F(PaintingRunX11, EscMidStrokeWhileFollowingStopsWithinOneMoveWithTheButtonUp) {
    // A zigzag: every step turns, so the run waits for the ink after each move.
    QImage picture(60, 10, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int x = 0; x < 50; ++x) {
        picture.setPixel(x, x % 2, qRgb(0, 0, 0));
    }
    openTarget(PaintingTarget::Kind::LagsAndAsksForThePointer, picture.size());
    RunSettings settings;
    settings.modes.FollowTarget = true;
    int movesAtTap = -1;
    run(picture, settings, [&] {
        if (movesAtTap < 0 && pointer->moves == 6) {
            movesAtTap = pointer->moves;
            session.tapEsc();
        } else if (movesAtTap >= 0) {
            // Time for the key watcher, should it not have run yet on a busy machine.
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    EXPECT_EQ(runs.lastResult().ending, RunResult::Ending::Aborted);
    // The move back onto the pixel where the button goes up is the only one after the tap.
    EXPECT_LE(pointer->moves - movesAtTap, 1);
    EXPECT_FALSE(session.leftButtonDown());
}

TEST_F(PaintingRunX11, JoinedRunsGiveAJoiningTargetExactlyThePictureAndAStampingOneGaps) {
    RunSettings settings;
    settings.WaitTime = 0;
    settings.modes.JoinRuns = true;
    settings.modes.FollowTarget = false;
    for (const AcceptancePicture kind :
         {AcceptancePicture::LineArt, AcceptancePicture::FilledShapes, AcceptancePicture::Text}) {
        const QImage picture = MakeAcceptancePicture(kind);
        openTarget(PaintingTarget::Kind::JoinsEveryMotion, picture.size());
        run(picture, settings);
        EXPECT_EQ(target->inked(), LinePixels(picture))
            << AcceptancePictureName(kind).toStdString();
    }
    const QImage lineArt = MakeAcceptancePicture(AcceptancePicture::LineArt);
    openTarget(PaintingTarget::Kind::StampsEveryMotion, lineArt.size());
    run(lineArt, settings);
    const Pixels stamped = target->inked();
    EXPECT_TRUE(testing::Minus(stamped, LinePixels(lineArt)).empty());
    EXPECT_LT(stamped.size() * 2, LinePixels(lineArt).size()) << "every pixel was sent";
}

// A painting program's smoothing joins positions far apart with a curve: followed, runs are
// joined for it only until a short joined move shows a pixel left out, then drawn pixel by pixel,
// so the curve's ink stays within a pixel of the picture and the check counts it.
TEST_F(PaintingRunX11, JoinedRunsIntoATargetThatCurvesItsJoinsStopAtTheFirstBend) {
    RunSettings settings;
    settings.modes.JoinRuns = true;
    settings.modes.FollowTarget = true;
    const QImage picture = MakeAcceptancePicture(AcceptancePicture::LineArt);
    openTarget(PaintingTarget::Kind::JoinsEveryMotion, picture.size(), std::chrono::milliseconds(0),
               PaintingTarget::CurvesLongJoins);
    run(picture, settings);
    const Pixels line = LinePixels(picture);
    const Pixels extra = testing::Minus(target->inked(), line);
    EXPECT_TRUE(testing::Minus(line, target->inked()).empty()) << "left unmended";
    EXPECT_LE(extra.size(), 3U);
    for (const auto& [x, y] : extra) {
        bool near = false;
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                near = near || line.count({x + dx, y + dy}) > 0;
            }
        }
        EXPECT_TRUE(near) << x << "," << y << " is a curve's bulge";
    }
    EXPECT_EQ(runs.lastResult().check.extra.size(), extra.size());
}

// The target takes the keyboard at the first press and cancels the stroke in progress on Esc,
// as a paint program does. The user's Esc stops the run and never reaches it.
TEST_F(PaintingRunX11, EscStopsTheRunWithoutReachingTheTargetAndAResumedRunCompletesThePicture) {
    const QImage picture = testing::LineArt(200);
    openTarget(PaintingTarget::Kind::JoinsEveryMotion, picture.size(), std::chrono::milliseconds(0),
               PaintingTarget::CancelsStrokeOnEsc);
    RunSettings settings;
    settings.WaitTime = 0;
    int yields = 0;
    run(picture, settings, [&] {
        if (++yields == 150) {
            session.tapEsc();
        } else if (yields > 150) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    ASSERT_EQ(runs.lastResult().ending, RunResult::Ending::Aborted);
    ASSERT_TRUE(runs.resumable());
    EXPECT_EQ(target->keyEvents(), 0);
    EXPECT_EQ(target->inked().size(), static_cast<std::size_t>(drawnSoFar()));
    EXPECT_LT(target->inked().size(), LinePixels(picture).size());

    resume(settings);
    EXPECT_EQ(runs.lastResult().ending, RunResult::Ending::Completed);
    EXPECT_EQ(target->inked(), LinePixels(picture));
    // The resumed run's check knows what the stopped run had drawn already.
    const RunCheck& check = runs.lastResult().check;
    EXPECT_EQ(check.outcome, RunCheck::Outcome::Checked);
    EXPECT_TRUE(check.missing.empty());
    EXPECT_TRUE(check.extra.empty());
    EXPECT_FALSE(session.leftButtonDown());
}

// Where Esc does reach the target (a desktop that cannot keep it), the stroke it cancelled is
// lost from the screen though the run had drawn it: the resumed run draws it again, and its
// check counts the whole picture, not only what it drew itself.
TEST_F(PaintingRunX11, AResumedRunDrawsAgainWhatTheTargetCancelledAndChecksTheWholePicture) {
    const QImage picture = testing::LineArt(200);
    openTarget(PaintingTarget::Kind::JoinsEveryMotion, picture.size(), std::chrono::milliseconds(0),
               PaintingTarget::CancelsStrokeOnEsc);
    RunSettings settings;
    settings.WaitTime = 0;
    int yields = 0;
    run(picture, settings, [&] {
        if (++yields == 150) {
            target->sendEsc();
            target->settle();
            runs.requestStop();
        }
    });
    ASSERT_EQ(runs.lastResult().ending, RunResult::Ending::Aborted);
    ASSERT_TRUE(runs.resumable());
    ASSERT_LT(target->inked().size(), static_cast<std::size_t>(drawnSoFar()))
        << "the target cancelled no stroke";

    resume(settings);
    EXPECT_EQ(runs.lastResult().ending, RunResult::Ending::Completed);
    EXPECT_EQ(target->inked(), LinePixels(picture));
    const RunCheck& check = runs.lastResult().check;
    EXPECT_EQ(check.outcome, RunCheck::Outcome::Checked);
    EXPECT_TRUE(check.exact());
}

}  // namespace
}  // namespace stylorex
