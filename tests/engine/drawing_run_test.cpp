#include "engine/drawing_run.h"

#include "bench/acceptance_pictures.h"
#include "engine/pen_plan.h"
#include "engine/run_plan.h"
#include "tests/engine/test_pictures.h"
#include "tests/support/fake_clock.h"
#include "tests/support/pointer_fake.h"
#include "tests/support/recording_observer.h"
#include "tests/support/screen_fake.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace stylorex {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::PictureWith;

// Records everything a run does, pointer, yields and what it tells its observer but its
// progress, on one timeline.
class RunHarness {
  public:
    RunHarness() {
        observer.onEvent = [this](const std::string& line) {
            if (line != "progress") {
                log.push_back(line);
            }
        };
        pointer.onOperation = [this](const PointerOperation& op) {
            switch (op.kind) {
                case PointerOperation::Kind::Move:
                    log.push_back("move " + xy(op));
                    break;
                case PointerOperation::Kind::Press:
                    log.push_back("press " + xy(op));
                    break;
                case PointerOperation::Kind::Release:
                    log.push_back("release " + xy(op));
                    break;
                case PointerOperation::Kind::EscQuery:
                    log.push_back(op.escResult ? "esc down" : "esc up");
                    break;
            }
        };
    }

    std::int32_t run(const QImage& picture, int originX, int originY, std::int16_t wait = 0) {
        settings.WaitTime = wait;
        RunServices services = makeServices();
        return RunDrawing(picture, originX, originY, settings, services, state);
    }
    std::int32_t resume() {
        RunServices services = makeServices();
        return ResumeDrawing(settings, services, state);
    }

    // The log without what the observer was told.
    std::vector<std::string> pointerLog() const {
        std::vector<std::string> result;
        for (const auto& entry : log) {
            if (std::find(observer.events.begin(), observer.events.end(), entry) ==
                observer.events.end()) {
                result.push_back(entry);
            }
        }
        return result;
    }

    FakePointer pointer;
    RecordingObserver observer;
    FakeClock clock;
    RunState state;
    RunSettings settings;
    ScreenReader* screen = nullptr;
    std::vector<std::string> log;
    std::function<void()> yieldHook;
    int yields = 0;

  private:
    RunServices makeServices() {
        RunServices services{pointer, [this] { onYield(); }, clock};
        services.screen = screen;
        services.observer = &observer;
        return services;
    }
    static std::string xy(const PointerOperation& op) {
        return std::to_string(op.x) + "," + std::to_string(op.y);
    }
    void onYield() {
        ++yields;
        log.push_back("yield");
        clock.advance(std::chrono::milliseconds(1));
        if (yieldHook) {
            yieldHook();
        }
    }
};

TEST(RunDrawing, SinglePixelIsMovePressMoveReleaseWithoutWaitYieldOrEscTest) {
    RunHarness h;
    EXPECT_EQ(h.run(PictureWith(10, 10, {{3, 4}}), 100, 200, 5), 1);
    EXPECT_THAT(h.pointerLog(), ElementsAre("esc up", "esc up", "move 103,204", "press 103,204",
                                            "move 103,204", "release 103,204"));
    EXPECT_FALSE(h.pointer.leftButtonDown());
    EXPECT_FALSE(h.state.inProgress());
    EXPECT_EQ(h.state.origin(), QPoint(100, 200));
    EXPECT_EQ(h.state.lastResult().ending, RunResult::Ending::Completed);
    EXPECT_EQ(h.state.lastResult().strokes, 1);
}

TEST(RunDrawing, TwoPixelLineMovesWaitsTestsEscThenReleasesAtTheEnd) {
    RunHarness h;
    EXPECT_EQ(h.run(PictureWith(10, 10, {{5, 5}, {6, 5}}), 0, 0, 3), 1);
    // One yield after the move, then three inside the 3 ms wait (the fake clock moves 1 ms
    // per yield).
    EXPECT_THAT(h.pointerLog(),
                ElementsAre("esc up", "esc up", "move 5,5", "press 5,5", "move 6,5", "yield",
                            "yield", "yield", "yield", "esc up", "move 6,5", "release 6,5"));
}

TEST(RunDrawing, WaitZeroStillYieldsOncePerMove) {
    RunHarness h;
    EXPECT_EQ(h.run(PictureWith(10, 10, {{1, 1}, {2, 1}, {3, 1}}), 0, 0, 0), 1);
    EXPECT_THAT(h.pointerLog(),
                ElementsAre("esc up", "esc up", "move 1,1", "press 1,1", "move 2,1", "yield",
                            "esc up", "move 3,1", "yield", "esc up", "move 3,1", "release 3,1"));
}

TEST(RunDrawing, PhasesFollowTheRunToItsEnd) {
    RunHarness h;
    h.run(PictureWith(10, 10, {{1, 1}}), 0, 0, 5);
    EXPECT_THAT(h.log,
                ElementsAre("esc up", "esc up", "phase preparing", "phase drawing", "move 1,1",
                            "press 1,1", "move 1,1", "release 1,1", "phase completed"));
}

TEST(RunDrawing, PictureWithoutLinePixelsEndsAtOnceWithoutMovingThePointer) {
    RunHarness h;
    EXPECT_EQ(h.run(testing::FilledPicture(20, 20, Qt::white), 10, 10), 0);
    EXPECT_THAT(h.pointerLog(), ElementsAre("esc up", "esc up"));
    EXPECT_EQ(h.observer.phases.back(), RunPhase::Completed);
}

TEST(RunDrawing, EscHeldAtTheStartAbortsAfterTheFirstMoveOfTheFirstLongerStroke) {
    RunHarness h;
    h.pointer.holdEscFromQuery(1);
    // A single pixel, then a vertical stroke, then another single pixel that is never reached.
    const QImage picture = PictureWith(10, 10, {{0, 0}, {5, 2}, {5, 3}, {5, 4}, {9, 9}});
    EXPECT_EQ(h.run(picture, 10, 20), 1);
    EXPECT_THAT(h.log, ElementsAreArray(std::vector<std::string>{
                           "esc down", "esc down", "phase preparing", "phase drawing", "move 10,20",
                           "press 10,20", "move 10,20", "release 10,20", "move 15,22",
                           "press 15,22", "move 15,23", "yield", "esc down", "move 15,23",
                           "release 15,23", "yield", "phase aborted"}));
    EXPECT_FALSE(h.pointer.leftButtonDown());
}

TEST(RunDrawing, EscPressedAndReleasedBeforeTheStartIsIgnored) {
    RunHarness h;
    h.pointer.holdEscFromQuery(1, 2);
    EXPECT_EQ(h.run(PictureWith(10, 10, {{0, 0}, {5, 2}, {5, 3}, {5, 4}, {9, 9}}), 0, 0), 3);
    EXPECT_EQ(h.observer.phases.back(), RunPhase::Completed);
}

TEST(RunDrawing, EscTappedMidStrokeAbortsAtTheNextTestAndReleasesThere) {
    RunHarness h;
    h.pointer.setStopCause(StopCause::PointerMoved);
    h.pointer.tapEscAfterMoves(4);  // start, (1,1), (2,1), then (3,1)
    EXPECT_EQ(h.run(PictureWith(10, 10, {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}}), 0, 0), 0);
    const auto releases = h.pointer.operationsOfKind(PointerOperation::Kind::Release);
    ASSERT_EQ(releases.size(), 1u);
    EXPECT_EQ(releases[0], FakePointer::Release(3, 1));
    EXPECT_EQ(h.pointer.moveCount(), 5);  // four moves and the move back before the release
    EXPECT_EQ(h.state.lastResult().ending, RunResult::Ending::Aborted);
    EXPECT_EQ(h.state.lastResult().stoppedBy, StopCause::PointerMoved);
    EXPECT_EQ(h.state.lastResult().strokes, 0);
}

TEST(RunDrawing, StopRequestTakesTheEscPathAndStillQueriesEsc) {
    RunHarness h;
    // Wait 0: each move yields once, then tests; the request comes before the second test.
    h.yieldHook = [&h] {
        if (h.yields == 2) {
            h.state.requestStop();
        }
    };
    EXPECT_EQ(h.run(PictureWith(10, 10, {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}}), 0, 0), 0);
    EXPECT_EQ(h.pointer.escQueryCount(), 4);  // two before the scan, two after moves
    EXPECT_EQ(h.pointer.operations().back(), FakePointer::Release(2, 1));
    EXPECT_EQ(h.log.back(), "phase aborted");
    EXPECT_EQ(h.state.lastResult().stoppedBy, std::nullopt) << "the request was not told apart";
    EXPECT_FALSE(h.pointer.leftButtonDown());
}

TEST(RunDrawing, ExceptionFromYieldReleasesTheButtonAndIsRethrown) {
    RunHarness h;
    h.yieldHook = [&h] {
        if (h.yields == 2) {
            throw std::runtime_error("window gone");
        }
    };
    EXPECT_THROW(h.run(PictureWith(10, 10, {{0, 1}, {1, 1}, {2, 1}, {3, 1}}), 0, 0),
                 std::runtime_error);
    EXPECT_FALSE(h.pointer.leftButtonDown());
    EXPECT_EQ(h.pointer.operations().back(), FakePointer::Release(2, 1));
    EXPECT_FALSE(h.state.inProgress());
    EXPECT_EQ(h.state.lastResult().ending, RunResult::Ending::Failed);
}

TEST(RunDrawing, ExceptionFromThePointerReleasesTheButtonAndIsRethrown) {
    RunHarness h;
    auto log = h.pointer.onOperation;
    h.pointer.onOperation = [&h, log](const PointerOperation& op) {
        log(op);
        if (op.kind == PointerOperation::Kind::Move && h.pointer.moveCount() == 3) {
            throw std::runtime_error("connection lost");
        }
    };
    EXPECT_THROW(h.run(PictureWith(10, 10, {{0, 1}, {1, 1}, {2, 1}, {3, 1}}), 0, 0),
                 std::runtime_error);
    EXPECT_FALSE(h.pointer.leftButtonDown());
    // The failed move may not have happened: the release goes where the pointer last stood.
    EXPECT_EQ(h.pointer.operations().back(), FakePointer::Release(1, 1));
}

TEST(RunDrawing, NestedRunIsRefusedAndTheOuterRunStillReleases) {
    RunHarness h;
    h.yieldHook = [&h] { h.run(PictureWith(5, 5, {{1, 1}}), 0, 0); };
    EXPECT_THROW(h.run(PictureWith(10, 10, {{0, 1}, {1, 1}, {2, 1}}), 0, 0), std::logic_error);
    EXPECT_FALSE(h.pointer.leftButtonDown());
    EXPECT_FALSE(h.state.inProgress());
}

TEST(RunDrawing, CountsMoreThan32767StrokesTruly) {
    // Isolated pixels on every other row and column: 300 x 240 one-pixel strokes. (A
    // checkerboard would not do: its pixels touch at the corners and join into diagonals.)
    QImage picture = testing::FilledPicture(600, 480, Qt::white);
    for (int y = 0; y < 480; y += 2) {
        for (int x = 0; x < 600; x += 2) {
            picture.setPixelColor(x, y, Qt::black);
        }
    }
    RunHarness h;
    EXPECT_EQ(h.run(picture, 0, 0), 72000);
    EXPECT_FALSE(h.pointer.leftButtonDown());
    EXPECT_EQ(h.pointer.operationsOfKind(PointerOperation::Kind::Press).size(), 72000u);
}

TEST(RunDrawing, NegativeOriginIsPassedOnUnchanged) {
    RunHarness h;
    h.run(PictureWith(10, 10, {{3, 4}}), -50, -20);
    EXPECT_EQ(h.pointer.operations()[2], FakePointer::Move(-47, -16));
}

TEST(RunDrawing, EveryVisitedPixelIsMarkedDrawn) {
    RunHarness h;
    EXPECT_EQ(
        h.run(PictureWith(5, 5,
                          {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}}),
              0, 0),
        2);
    const ScanTables& tables = h.state.tables();
    for (std::size_t i = 1; tables.StartPointList[i].X >= 0; ++i) {
        EXPECT_FALSE(tables.PixelMap(tables.StartPointList[i]).Undrawn) << i;
    }
    // The T: stem first, then the rest of the bar from (2, 0).
    const auto presses = h.pointer.operationsOfKind(PointerOperation::Kind::Press);
    EXPECT_THAT(presses, ElementsAre(FakePointer::Press(0, 0), FakePointer::Press(2, 0)));
}

// The pixels after `from` up to and including `to` along a straight run of unit steps.
std::vector<std::pair<int, int>> StepsTo(QPoint from, QPoint to) {
    std::vector<std::pair<int, int>> steps;
    while (from != to) {
        from += QPoint((to.x() > from.x()) - (to.x() < from.x()),
                       (to.y() > from.y()) - (to.y() < from.y()));
        steps.emplace_back(from.x(), from.y());
    }
    return steps;
}

// Every pixel a joining target inks for the operations, once per time it is inked: the press's
// pixel, and the straight segment of each move made with the button down.
std::vector<std::pair<int, int>> InkedPixels(const std::vector<PointerOperation>& ops) {
    std::vector<std::pair<int, int>> inked;
    bool down = false;
    QPoint at;
    for (const PointerOperation& op : ops) {
        if (op.kind == PointerOperation::Kind::Press) {
            down = true;
            inked.emplace_back(op.x, op.y);
        } else if (op.kind == PointerOperation::Kind::Release) {
            down = false;
        } else if (op.kind == PointerOperation::Kind::Move) {
            if (down) {
                const auto steps = StepsTo(at, QPoint(op.x, op.y));
                inked.insert(inked.end(), steps.begin(), steps.end());
            }
            at = QPoint(op.x, op.y);
        }
    }
    return inked;
}

std::vector<std::pair<int, int>> Sorted(std::vector<std::pair<int, int>> pixels) {
    std::sort(pixels.begin(), pixels.end());
    return pixels;
}

std::vector<PointerOperation> MovesInsideStrokes(const std::vector<PointerOperation>& ops) {
    std::vector<PointerOperation> moves;
    bool down = false;
    for (std::size_t i = 0; i < ops.size(); ++i) {
        down = ops[i].kind == PointerOperation::Kind::Press ||
               (down && ops[i].kind != PointerOperation::Kind::Release);
        const bool beforeRelease =
            i + 1 < ops.size() && ops[i + 1].kind == PointerOperation::Kind::Release;
        if (down && ops[i].kind == PointerOperation::Kind::Move && !beforeRelease) {
            moves.push_back(ops[i]);
        }
    }
    return moves;
}

TEST(JoinRuns, MovesOnlyToTheEndsOfStraightRunsInEveryDirection) {
    RunHarness h;
    h.settings.modes.JoinRuns = true;
    // A rectangle's outline (down, right, up, left), a diamond (the four diagonals) and a pixel.
    std::vector<std::pair<int, int>> rectangle;
    for (int x = 2; x <= 6; ++x) {
        rectangle.insert(rectangle.end(), {{x, 2}, {x, 5}});
    }
    for (int y = 3; y <= 4; ++y) {
        rectangle.insert(rectangle.end(), {{2, y}, {6, y}});
    }
    std::vector<std::pair<int, int>> diamond;
    for (int i = 0; i <= 4; ++i) {
        diamond.insert(diamond.end(),
                       {{10 - i, 12 + i}, {10 + i, 12 + i}, {10 - i, 20 - i}, {10 + i, 20 - i}});
    }
    QImage picture = PictureWith(30, 30, {{20, 25}});
    for (const auto& [x, y] : rectangle) {
        picture.setPixelColor(x, y, Qt::black);
    }
    for (const auto& [x, y] : diamond) {
        picture.setPixelColor(x, y, Qt::black);
    }
    EXPECT_EQ(h.run(picture, 0, 0), 4);
    // The outline goes down, right, up, then up-left where the neighbour order prefers the corner's
    // diagonal, then left; the corner it cut is a stroke of its own. The diamond goes down-left,
    // down-right, up-right and up-left.
    using P = FakePointer;
    EXPECT_THAT(h.pointer.operations(),
                ElementsAreArray(std::vector<PointerOperation>{
                    P::EscQuery(false), P::EscQuery(false), P::Move(2, 2),   P::Press(2, 2),
                    P::Move(2, 5),      P::EscQuery(false), P::Move(6, 5),   P::EscQuery(false),
                    P::Move(6, 3),      P::EscQuery(false), P::Move(5, 2),   P::EscQuery(false),
                    P::Move(3, 2),      P::EscQuery(false), P::Move(3, 2),   P::Release(3, 2),
                    P::Move(6, 2),      P::Press(6, 2),     P::Move(6, 2),   P::Release(6, 2),
                    P::Move(10, 12),    P::Press(10, 12),   P::Move(6, 16),  P::EscQuery(false),
                    P::Move(10, 20),    P::EscQuery(false), P::Move(14, 16), P::EscQuery(false),
                    P::Move(11, 13),    P::EscQuery(false), P::Move(11, 13), P::Release(11, 13),
                    P::Move(20, 25),    P::Press(20, 25),   P::Move(20, 25), P::Release(20, 25)}));
}

TEST(JoinRuns, AZigzagKeepsEveryStep) {
    RunHarness h;
    h.settings.modes.JoinRuns = true;
    EXPECT_EQ(h.run(PictureWith(10, 10, {{0, 0}, {1, 1}, {2, 0}, {3, 1}, {4, 0}}), 0, 0), 1);
    EXPECT_THAT(
        h.pointer.operationsOfKind(PointerOperation::Kind::Move),
        ElementsAre(FakePointer::Move(0, 0), FakePointer::Move(1, 1), FakePointer::Move(2, 0),
                    FakePointer::Move(3, 1), FakePointer::Move(4, 0), FakePointer::Move(4, 0)));
}

TEST(JoinRuns, KeepsTheStrokesAndThePixelsOfARunWithoutJoining) {
    for (const AcceptancePicture kind : AcceptancePictures()) {
        const QImage picture = MakeAcceptancePicture(kind);
        RunHarness plain;
        RunHarness joined;
        joined.settings.modes.JoinRuns = true;
        EXPECT_EQ(plain.run(picture, 0, 0), joined.run(picture, 0, 0));
        for (const auto kindOfEnd :
             {PointerOperation::Kind::Press, PointerOperation::Kind::Release}) {
            EXPECT_EQ(plain.pointer.operationsOfKind(kindOfEnd),
                      joined.pointer.operationsOfKind(kindOfEnd));
        }
        const auto inked = Sorted(InkedPixels(joined.pointer.operations()));
        EXPECT_EQ(inked, Sorted(InkedPixels(plain.pointer.operations())));
        EXPECT_EQ(std::set(inked.begin(), inked.end()).size(), inked.size()) << "a pixel twice";
    }
}

TEST(RunPlan, CountsWhatTheRunDoesAndEstimatesItsTime) {
    for (const bool join : {false, true}) {
        for (const AcceptancePicture kind : AcceptancePictures()) {
            const QImage picture = MakeAcceptancePicture(kind);
            RunModes modes;
            modes.JoinRuns = join;
            const RunPlan plan = PlanPicture(picture, ExtractionSettings{}, modes);
            RunHarness h;
            h.settings.modes = modes;
            const std::string name = AcceptancePictureName(kind).toStdString();
            EXPECT_EQ(plan.strokes, h.run(picture, 0, 0)) << name;
            EXPECT_EQ(plan.moves,
                      static_cast<std::int64_t>(MovesInsideStrokes(h.pointer.operations()).size()))
                << name;
            EXPECT_EQ(plan.waits, plan.moves) << name;
            EXPECT_EQ(plan.linePixels,
                      static_cast<std::int32_t>(InkedPixels(h.pointer.operations()).size()))
                << name;

            // Against the time the run takes on a clock that a yield moves by 50 µs.
            for (const std::int16_t wait : {1, 5, 7}) {
                FakePointer pointer;
                FakeClock clock;
                RunState state;
                RunServices services{
                    pointer, [&clock] { clock.advance(std::chrono::microseconds(50)); }, clock};
                RunSettings settings;
                settings.modes = modes;
                settings.WaitTime = wait;
                RunDrawing(picture, 0, 0, settings, services, state);
                const double took =
                    std::chrono::duration<double, std::milli>(clock.now().time_since_epoch())
                        .count();
                const auto estimate = EstimatedRunTime(
                    plan, wait,
                    RunCosts{std::chrono::microseconds(50), std::chrono::microseconds(0),
                             std::chrono::microseconds(0), std::chrono::microseconds(0)});
                EXPECT_NEAR(static_cast<double>(estimate.count()), took, 0.1 * took + 1)
                    << name << " at " << wait << " ms, joined " << join;
            }
        }
    }
}

TEST(RunProgress, ComesAtMostTenTimesASecondAndEndsExactlyAtTheRunsEnd) {
    RunHarness h;
    std::vector<std::chrono::steady_clock::time_point> times;
    h.observer.onEvent = [&h, &times](const std::string& line) {
        if (line == "progress") {
            times.push_back(h.clock.now());
        }
        h.log.push_back(line);
    };
    const std::int32_t strokes = h.run(MakeAcceptancePicture(AcceptancePicture::LineArt), 0, 0, 1);
    const std::vector<RunProgress>& reports = h.observer.progress;
    ASSERT_GE(reports.size(), 10u);
    for (std::size_t i = 0; i + 2 < reports.size(); ++i) {
        EXPECT_GE(times[i + 1] - times[i], kProgressInterval) << i;
        EXPECT_LE(reports[i].strokesDone, reports[i + 1].strokesDone) << i;
        EXPECT_GE(reports[i].timeLeft, reports[i + 1].timeLeft) << i;
        EXPECT_EQ(reports[i].strokesTotal, strokes);
    }
    EXPECT_GT(reports.front().timeLeft.count(), 0);
    EXPECT_EQ(reports.back().strokesDone, strokes);
    EXPECT_EQ(reports.back().strokesTotal, strokes);
    EXPECT_EQ(reports.back().timeLeft.count(), 0);
    // The last report is the last thing the run does; it comes once the last stroke is released.
    EXPECT_EQ(h.log.back(), "progress");
    EXPECT_EQ(h.log[h.log.size() - 3].rfind("release", 0), 0u);
}

TEST(ResumeDrawing, DrawsExactlyWhatTheStoppedRunLeft) {
    const QImage picture = MakeAcceptancePicture(AcceptancePicture::LineArt);
    for (const bool join : {false, true}) {
        RunHarness full;
        full.settings.modes.JoinRuns = join;
        full.run(picture, 40, 30);

        RunHarness h;
        h.settings.modes.JoinRuns = join;
        h.pointer.tapEscAfterMoves(150);
        const std::int32_t first = h.run(picture, 40, 30);
        ASSERT_EQ(h.state.lastResult().ending, RunResult::Ending::Aborted);
        ASSERT_TRUE(h.state.resumable());
        const std::size_t split = h.pointer.operations().size();
        h.observer.phases.clear();
        const std::int32_t second = h.resume();

        EXPECT_EQ(h.state.lastResult().ending, RunResult::Ending::Completed);
        EXPECT_FALSE(h.state.resumable());
        EXPECT_GE(first + second, full.state.lastResult().strokes);
        const auto& ops = h.pointer.operations();
        auto both = InkedPixels({ops.begin(), ops.begin() + static_cast<std::ptrdiff_t>(split)});
        const auto resumed =
            InkedPixels({ops.begin() + static_cast<std::ptrdiff_t>(split), ops.end()});
        EXPECT_FALSE(resumed.empty());
        both.insert(both.end(), resumed.begin(), resumed.end());
        EXPECT_EQ(Sorted(both), Sorted(InkedPixels(full.pointer.operations())))
            << "joined " << join;
        EXPECT_THAT(h.observer.phases,
                    ElementsAre(RunPhase::Preparing, RunPhase::Drawing, RunPhase::Completed));
        EXPECT_THROW(h.resume(), std::logic_error);
    }

    // Forgotten, a stopped run cannot be resumed.
    RunHarness h;
    h.pointer.tapEscAfterMoves(20);
    h.run(picture, 0, 0);
    ASSERT_TRUE(h.state.resumable());
    h.state.forgetResumableRun();
    EXPECT_FALSE(h.state.resumable());
    EXPECT_THROW(h.resume(), std::logic_error);
}

// A target on the fake screen that inks each pixel a drag passes over as the operation comes,
// except that the first press or move onto a pixel of `dropped` leaves it white. `pencil`: as a
// raster editor's pencil, a step up-right inks only the pixel above its start and a step
// down-left only the one left of it; every other step inks its start and its end. `pen`: each
// pixel inked is the centre of a pen that many pixels across (PenReaches).
class InkingTarget {
  public:
    InkingTarget(FakePointer& pointer, FakeScreen& screen, std::set<std::pair<int, int>> dropped,
                 bool pencil = false, int pen = 1)
        : dropped_(std::move(dropped)) {
        pointer.onOperation = [this, &screen, pencil, pen](const PointerOperation& op) {
            std::vector<std::pair<int, int>> pixels;
            if (op.kind == PointerOperation::Kind::Press) {
                down_ = true;
                pixels = {{op.x, op.y}};
            } else if (op.kind == PointerOperation::Kind::Release) {
                down_ = false;
            } else if (op.kind == PointerOperation::Kind::Move) {
                if (down_ && !pencil) {
                    pixels = StepsTo(at_, QPoint(op.x, op.y));
                }
                for (QPoint from = at_; down_ && pencil && from != QPoint(op.x, op.y);) {
                    const auto [x, y] = StepsTo(from, QPoint(op.x, op.y)).front();
                    const QPoint step = QPoint(x, y) - from;
                    if (step.x() * step.y() == -1) {
                        pixels.emplace_back(std::min(from.x(), x), std::min(from.y(), y));
                    } else {
                        pixels.insert(pixels.end(), {{from.x(), from.y()}, {x, y}});
                    }
                    from = QPoint(x, y);
                }
                at_ = QPoint(op.x, op.y);
            }
            for (const auto& [x, y] : pixels) {
                if (dropped_.erase({x, y}) != 0) {
                    continue;
                }
                testing::StampPen(screen.image, pen, x, y);
            }
        };
    }

  private:
    std::set<std::pair<int, int>> dropped_;
    bool down_ = false;
    QPoint at_;
};

// What the target lost after the stop (it cancelled the stroke in progress, say) is drawn again
// by the resumed run, whose check covers the whole picture against the screen before the first.
TEST(ResumeDrawing, DrawsAgainWhatTheTargetLostAndChecksTheWholePicture) {
    const QImage picture = MakeAcceptancePicture(AcceptancePicture::LineArt);
    RunHarness h;
    FakeScreen screen;
    h.screen = &screen;
    InkingTarget target(h.pointer, screen, {});
    h.pointer.tapEscAfterMoves(150);
    h.run(picture, 40, 30);
    ASSERT_TRUE(h.state.resumable());
    std::set<std::pair<int, int>> lost;
    for (const auto& [x, y] : InkedPixels(h.pointer.operations())) {
        if (lost.size() < 40) {
            lost.insert({x, y});
            screen.image.setPixel(x, y, qRgb(255, 255, 255));
        }
    }
    const std::size_t split = h.pointer.operations().size();
    h.resume();

    const auto& ops = h.pointer.operations();
    const auto resumed = InkedPixels({ops.begin() + static_cast<std::ptrdiff_t>(split), ops.end()});
    for (const auto& p : lost) {
        EXPECT_NE(std::find(resumed.begin(), resumed.end(), p), resumed.end())
            << p.first << "," << p.second << " was not drawn again";
    }
    const RunCheck& check = h.state.lastResult().check;
    EXPECT_TRUE(check.exact());
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            EXPECT_EQ(screen.image.pixel(40 + x, 30 + y), picture.pixel(x, y)) << x << "," << y;
        }
    }
}

TEST(FollowTarget, ChecksTheTargetAndMendsWhatItMissed) {
    // A bent line, from (10, 10) right to (20, 10), then down-right to (30, 20); the target drops
    // a pixel in the middle of the first straight part and the one where the line turns.
    QImage picture = testing::FilledPicture(40, 40, Qt::white);
    for (int i = 0; i <= 10; ++i) {
        picture.setPixelColor(10 + i, 10, Qt::black);
        picture.setPixelColor(20 + i, 10 + i, Qt::black);
    }
    const QPoint origin(100, 200);
    const std::set<std::pair<int, int>> dropped = {{115, 210}, {120, 210}};
    for (const bool follow : {false, true}) {
        RunHarness h;
        FakeScreen screen;
        h.screen = &screen;
        h.settings.modes.FollowTarget = follow;
        InkingTarget target(h.pointer, screen, dropped);
        EXPECT_EQ(h.run(picture, origin.x(), origin.y()), 1);
        const RunCheck& check = h.state.lastResult().check;
        EXPECT_EQ(check.outcome, RunCheck::Outcome::Checked);
        EXPECT_TRUE(check.extra.empty());
        if (follow) {
            // Waited only where the line turns and where it ends. The turn showed no ink within
            // 20 ms while the run's start did: handed again, a step back along the run (which had
            // its ink, so it could not show being taken) and forth. Then one press and release on
            // the pixel missed in the middle.
            std::set<std::pair<int, int>> read;
            for (const QPoint p : screen.reads) {
                read.insert({p.x(), p.y()});
            }
            EXPECT_EQ(read, (std::set<std::pair<int, int>>{
                                {110, 210}, {119, 210}, {120, 210}, {130, 220}, {115, 210}}));
            EXPECT_TRUE(check.missing.empty());
            EXPECT_EQ(check.mendPasses, 1);
            EXPECT_EQ(check.mendPresses, 1);
            // Released where the pointer stands, never moved there again first: that move would
            // queue a motion event that a lagging target handles after the next press.
            const std::vector<PointerOperation>& ops = h.pointer.operations();
            for (std::size_t i = 1; i < ops.size(); ++i) {
                if (ops[i].kind == PointerOperation::Kind::Release) {
                    EXPECT_NE(ops[i - 1].kind, PointerOperation::Kind::Move) << i;
                }
            }
        } else {
            EXPECT_TRUE(screen.reads.empty());
            EXPECT_EQ(check.missing, (std::vector<QPoint>{{115, 210}, {120, 210}}));
            EXPECT_EQ(check.mendPresses, 0);
        }
        EXPECT_EQ(h.pointer.operationsOfKind(PointerOperation::Kind::Press).size(),
                  1u + check.mendPresses);
        EXPECT_FALSE(h.pointer.leftButtonDown());
        // The observer hears the check the state keeps, once, before the run completes.
        ASSERT_EQ(h.observer.checks.size(), 1u);
        EXPECT_EQ(h.observer.checks[0].missing, check.missing);
        const std::vector<std::string>& events = h.observer.events;
        EXPECT_THAT(std::vector(events.end() - 3, events.end()),
                    ElementsAre("checked", "phase completed", "progress"));
    }
}

// A target whose pen is 5 pixels across: the run moves it along centre lines and fills, and the
// check after it, tolerant by the pen, is satisfied; the exact check would not have been.
TEST(FollowTarget, AWidePenFillsInFewerMovesAndPassesTheTolerantCheck) {
    const QImage picture = MakeAcceptancePicture(AcceptancePicture::FilledShapes);
    std::size_t moves[2] = {};
    for (const int pen : {1, 5}) {
        RunHarness h;
        FakeScreen screen;
        h.screen = &screen;
        h.settings.modes.FollowTarget = true;
        h.settings.modes.PenWidth = pen;
        InkingTarget target(h.pointer, screen, {}, false, pen);
        h.run(picture, 40, 30);
        const RunCheck& check = h.state.lastResult().check;
        EXPECT_EQ(check.tolerance, pen == 1 ? 0 : 3);
        EXPECT_TRUE(check.satisfied()) << "pen " << pen << ": " << check.missing.size()
                                       << " missing, " << check.extra.size() << " extra";
        EXPECT_EQ(check.mendPresses, 0);
        moves[pen == 1 ? 0 : 1] = h.pointer.operationsOfKind(PointerOperation::Kind::Move).size();
    }
    EXPECT_LT(moves[1] * 3, moves[0]);
}

// A target that smooths its path, as a signature field does (with lines for its curves): it
// keeps a position only more than 5 px from the last one it kept (the release's too), inks a dot
// at the press, and joins two kept positions only once the next one comes, so that the line to
// the last one is never drawn. Its pen is centred on the pointer's pixel corner and reaches a
// pixel either way: it inks the 2 x 2 pixels around each corner it passes.
class SmoothingTarget {
  public:
    SmoothingTarget(FakePointer& pointer, FakeScreen& screen) {
        pointer.onOperation = [this, &screen](const PointerOperation& op) {
            const QPoint at(op.x, op.y);
            if (op.kind == PointerOperation::Kind::Press) {
                kept_ = {at};
                Stamp(screen, at.x(), at.y());
                down_ = true;
            } else if (down_ && (op.kind == PointerOperation::Kind::Move ||
                                 op.kind == PointerOperation::Kind::Release)) {
                const QPoint far = at - kept_.back();
                if (QPoint::dotProduct(far, far) > 25) {
                    kept_.push_back(at);
                }
                if (kept_.size() >= 3 && kept_.back() == at) {
                    const QPoint from = kept_[kept_.size() - 3];
                    const QPoint d = kept_[kept_.size() - 2] - from;
                    const int steps = std::max(std::abs(d.x()), std::abs(d.y()));
                    for (int i = 1; i <= steps; ++i) {
                        Stamp(screen,
                              from.x() + static_cast<int>(std::lround(d.x() * i / double(steps))),
                              from.y() + static_cast<int>(std::lround(d.y() * i / double(steps))));
                    }
                }
                down_ = op.kind == PointerOperation::Kind::Move;
            }
        };
    }

  private:
    static void Stamp(FakeScreen& screen, int x, int y) {
        screen.image.setPixel(x - 1, y - 1, qRgb(0, 0, 0));
        screen.image.setPixel(x, y - 1, qRgb(0, 0, 0));
        screen.image.setPixel(x - 1, y, qRgb(0, 0, 0));
        screen.image.setPixel(x, y, qRgb(0, 0, 0));
    }

    std::vector<QPoint> kept_;
    bool down_ = false;
};

// A paint program's pencil that shows a stroke only on release, and then whole, through every
// position it was given, in shades of grey around each pixel corner it passes (antialiased).
class ReleasingTarget {
  public:
    ReleasingTarget(FakePointer& pointer, FakeScreen& screen) {
        pointer.onOperation = [this, &screen](const PointerOperation& op) {
            const QPoint at(op.x, op.y);
            if (op.kind == PointerOperation::Kind::Press) {
                positions_ = {at};
            } else if (op.kind == PointerOperation::Kind::Move && !positions_.empty()) {
                positions_.push_back(at);
            } else if (op.kind == PointerOperation::Kind::Release) {
                QPoint from = positions_.front();
                Stamp(screen, from);
                for (const QPoint to : positions_) {
                    const QPoint d = to - from;
                    const int steps = std::max(std::abs(d.x()), std::abs(d.y()));
                    for (int i = 1; i <= steps; ++i) {
                        Stamp(screen,
                              from +
                                  QPoint(static_cast<int>(std::lround(d.x() * i / double(steps))),
                                         static_cast<int>(std::lround(d.y() * i / double(steps)))));
                    }
                    from = to;
                }
                positions_.clear();
            }
        };
    }

  private:
    static void Stamp(FakeScreen& screen, QPoint corner) {
        const int shades[4] = {40, 90, 140, 190};
        int i = 0;
        for (const QPoint p : {QPoint(-1, -1), QPoint(0, -1), QPoint(-1, 0), QPoint(0, 0)}) {
            const QPoint q = corner + p;
            const int grey = std::min(qGray(screen.image.pixel(q)), shades[i++]);
            screen.image.setPixel(q, qRgb(grey, grey, grey));
        }
    }

    std::vector<QPoint> positions_;
};

// Such targets show no ink where the pointer stands. One that smooths shows none at the end of a
// run, nor after the end is handed again; a step back along the run brings the ink to it. One
// that shows a stroke only on release shows its shades then. From then on each stroke goes as
// keys a few pixels apart, each line drawn, and the run passes the pen's tolerance with no ink
// farther than a pixel.
TEST(FollowTarget, TargetsThatShowInkBehindThePointerAreLearnedAndGetKeysAFewPixelsApart) {
    const QImage picture = MakeAcceptancePicture(AcceptancePicture::LineArt);
    for (const bool smooths : {true, false}) {
        SCOPED_TRACE(smooths ? "smooths" : "shows on release");
        RunHarness h;
        FakeScreen screen;
        h.screen = &screen;
        h.settings.modes.FollowTarget = true;
        std::optional<SmoothingTarget> smoothing;
        std::optional<ReleasingTarget> releasing;
        if (smooths) {
            smoothing.emplace(h.pointer, screen);
        } else {
            releasing.emplace(h.pointer, screen);
        }
        h.run(picture, 40, 30);
        const RunCheck& check = h.state.lastResult().check;
        EXPECT_EQ(check.tolerance, 1);
        EXPECT_TRUE(check.satisfied())
            << check.missing.size() << " missing, " << check.extra.size() << " extra";
        const auto isLine = [&](int x, int y) {
            return picture.valid(x, y) && qGray(picture.pixel(x, y)) < 128;
        };
        for (int y = 0; y < screen.image.height(); ++y) {
            for (int x = 0; x < screen.image.width(); ++x) {
                if (screen.image.pixel(x, y) != qRgb(255, 255, 255)) {
                    bool near = false;
                    for (int dy = -1; dy <= 1; ++dy) {
                        for (int dx = -1; dx <= 1; ++dx) {
                            near = near || isLine(x - 40 + dx, y - 30 + dy);
                        }
                    }
                    EXPECT_TRUE(near) << "ink farther than a pixel at " << x - 40 << "," << y - 30;
                }
            }
        }
        // Moves to where the pointer stands already (a fixed wait's, before a release) count not.
        std::size_t moves = 0;
        QPoint at(-1, -1);
        for (const PointerOperation& op : h.pointer.operations()) {
            moves += op.kind == PointerOperation::Kind::Move && QPoint(op.x, op.y) != at ? 1 : 0;
            at = QPoint(op.x, op.y);
        }
        EXPECT_LT(moves * 2, static_cast<std::size_t>(PlanPicture(picture, {}, {}).moves));
    }
}

// The steps up-right and down-left of a run's walk over `picture`.
int AntiDiagonalSteps(const QImage& picture) {
    struct Counter {
        void start(PixelPoint p) { last = p; }
        bool move(PixelPoint p, bool) {
            steps += (p.X - last.X) * (p.Y - last.Y) == -1 ? 1 : 0;
            last = p;
            return true;
        }
        void end(PixelPoint) {}
        PixelPoint last;
        int steps = 0;
    } counter;
    ScanTables tables;
    ScanPicture(picture, {}, tables);
    WalkRun(tables, false, counter);
    return counter.steps;
}

// Each step direction is learned from the ink of its own steps: a target that inks every step's
// end has its steps up-right and down-left made as moves once a trial has shown it, a pencil
// that does not ink theirs gets each such step as a release and a press. Neither target gets a
// pixel wrong on the way, nor anything handed again.
TEST(FollowTarget, LearnsWhatAStepInksForEachDirection) {
    for (const AcceptancePicture which :
         {AcceptancePicture::LineArt, AcceptancePicture::FilledShapes}) {
        const QImage picture = MakeAcceptancePicture(which);
        const RunPlan plan = PlanPicture(picture, {}, {});
        const int antiDiagonal = AntiDiagonalSteps(picture);
        ASSERT_GT(antiDiagonal, 20);
        for (const bool pencil : {false, true}) {
            SCOPED_TRACE(AcceptancePictureName(which).toStdString() + (pencil ? " pencil" : ""));
            RunHarness h;
            FakeScreen screen;
            h.screen = &screen;
            h.settings.modes.FollowTarget = true;
            InkingTarget target(h.pointer, screen, {}, pencil);
            EXPECT_EQ(h.run(picture, 40, 30), plan.strokes);
            const RunCheck& check = h.state.lastResult().check;
            EXPECT_TRUE(check.exact());
            EXPECT_EQ(check.mendPresses, 0);
            EXPECT_EQ(screen.image.copy(40, 30, picture.width(), picture.height()),
                      picture.convertToFormat(QImage::Format_RGB32));
            const auto presses = h.pointer.operationsOfKind(PointerOperation::Kind::Press).size();
            const auto moves = h.pointer.operationsOfKind(PointerOperation::Kind::Move).size();
            // A move to each pixel, the one away from the picture before the check, and a second
            // one for each failed trial.
            EXPECT_LE(moves, static_cast<std::size_t>(plan.moves + plan.strokes) + 1 + 2);
            if (pencil) {
                EXPECT_EQ(presses, static_cast<std::size_t>(plan.strokes + antiDiagonal));
            } else if (which == AcceptancePicture::FilledShapes) {
                EXPECT_LT(presses, static_cast<std::size_t>(plan.strokes + antiDiagonal / 2));
            }
        }
    }
}

TEST(WaitMs, WaitsUntilTheMonotonicDeadlineYieldingMeanwhile) {
    FakeClock clock;
    int yields = 0;
    WaitMs(
        3,
        [&] {
            ++yields;
            clock.advance(std::chrono::microseconds(700));
        },
        clock);
    EXPECT_EQ(yields, 5);  // 0.7 ms steps: 3.5 ms is the first at or past 3 ms
}

TEST(WaitMs, ZeroOrLessReturnsAtOnceWithoutYielding) {
    FakeClock clock;
    int yields = 0;
    WaitMs(
        0, [&] { ++yields; }, clock);
    WaitMs(
        -5, [&] { ++yields; }, clock);
    EXPECT_EQ(yields, 0);
}

TEST(WaitMs, RealClockWaitNeverEndsEarly) {
    for (int ms : {1, 3, 7}) {
        const auto start = std::chrono::steady_clock::now();
        int yields = 0;
        WaitMs(
            ms, [&] { ++yields; }, SystemClock());
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_GE(elapsed, std::chrono::milliseconds(ms)) << ms;
        // Generous bound: only a wait that is plainly wrong (the old 4 to 8 ms rounding
        // reached at most 8 ms past the deadline) or stuck fails it.
        EXPECT_LT(elapsed, std::chrono::milliseconds(ms + 100)) << ms;
        EXPECT_GT(yields, 0);
    }
}

TEST(WaitMs, RealClockWaitLeavesTheProcessorFree) {
    // A paint program drawing beside the run needs the processor: the wait sleeps, and spins
    // only at its very end.
    const auto threadTime = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
    };
    const auto start = std::chrono::steady_clock::now();
    const auto cpuStart = threadTime();
    for (int i = 0; i < 20; ++i) {
        WaitMs(
            5, [] {}, SystemClock());
    }
    const auto cpu = threadTime() - cpuStart;
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(100));
    EXPECT_LT(cpu * 3, elapsed) << "CPU " << cpu.count() << " ns of " << elapsed.count() << " ns";
}

}  // namespace
}  // namespace stylorex
