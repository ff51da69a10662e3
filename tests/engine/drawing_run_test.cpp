#include "engine/drawing_run.h"

#include "tests/engine/test_pictures.h"
#include "tests/support/pointer_fake.h"
#include "tests/support/recording_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace stylorex {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::PictureWith;

// A clock that moves only when told to.
class FakeClock : public MonotonicClock {
  public:
    std::chrono::steady_clock::time_point now() override { return now_; }
    void advance(std::chrono::steady_clock::duration by) { now_ += by; }

  private:
    std::chrono::steady_clock::time_point now_{};
};

// Records everything a run does, pointer, yields and window texts, on one timeline.
class RunHarness {
  public:
    RunHarness() {
        ForgetRememberedCaption();
        window.onWrite = [this](const std::string& line) { log.push_back(line); };
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
    ~RunHarness() { ForgetRememberedCaption(); }

    std::int32_t run(const QImage& picture, int originX, int originY, std::int16_t wait = 0) {
        RunServices services{pointer, window, [this] { onYield(); }, clock};
        RunSettings settings;
        settings.WaitTime = wait;
        return RunDrawing(picture, originX, originY, settings, services, state);
    }

    // The log without the window texts.
    std::vector<std::string> pointerLog() const {
        std::vector<std::string> result;
        for (const auto& entry : log) {
            if (entry.rfind("caption", 0) != 0 && entry.rfind("status", 0) != 0) {
                result.push_back(entry);
            }
        }
        return result;
    }

    FakePointer pointer;
    RecordingWindow window;
    FakeClock clock;
    RunState state;
    std::vector<std::string> log;
    std::function<void()> yieldHook;
    int yields = 0;

  private:
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

TEST(RunDrawing, CaptionAndStatusFollowTheRunToItsEnd) {
    RunHarness h;
    h.run(PictureWith(10, 10, {{1, 1}}), 0, 0, 5);
    std::vector<std::string> texts;
    for (const auto& entry : h.log) {
        if (entry.rfind("caption", 0) == 0 || entry.rfind("status", 0) == 0) {
            texts.push_back(entry);
        }
    }
    EXPECT_THAT(
        texts, ElementsAre("status2 データ準備中", "caption Stylorex [データ準備中]",
                           "status2 描画開始", "caption Stylorex [描画開始-wait 5ms] Escキーで中断",
                           "caption Stylorex [処理完了]", "status2 処理終了"));
}

TEST(RunDrawing, PictureWithoutLinePixelsEndsAtOnceWithoutMovingThePointer) {
    RunHarness h;
    EXPECT_EQ(h.run(testing::FilledPicture(20, 20, Qt::white), 10, 10), 0);
    EXPECT_THAT(h.pointerLog(), ElementsAre("esc up", "esc up"));
    EXPECT_EQ(h.log.back(), "status2 処理終了");
}

TEST(RunDrawing, EscHeldAtTheStartAbortsAfterTheFirstMoveOfTheFirstLongerStroke) {
    RunHarness h;
    h.pointer.holdEscFromQuery(1);
    // A single pixel, then a vertical stroke, then another single pixel that is never reached.
    const QImage picture = PictureWith(10, 10, {{0, 0}, {5, 2}, {5, 3}, {5, 4}, {9, 9}});
    EXPECT_EQ(h.run(picture, 10, 20), 1);
    EXPECT_THAT(h.log, ElementsAreArray(std::vector<std::string>{
                           "esc down",
                           "esc down",
                           "status2 データ準備中",
                           "caption Stylorex [データ準備中]",
                           "status2 描画開始",
                           "caption Stylorex [描画開始-wait 0ms] Escキーで中断",
                           "move 10,20",
                           "press 10,20",
                           "move 10,20",
                           "release 10,20",
                           "move 15,22",
                           "press 15,22",
                           "move 15,23",
                           "yield",
                           "esc down",
                           "move 15,23",
                           "release 15,23",
                           "yield",
                           "caption Stylorex [中断しました]",
                           "status2 中断"}));
    EXPECT_FALSE(h.pointer.leftButtonDown());
}

TEST(RunDrawing, EscPressedAndReleasedBeforeTheStartIsIgnored) {
    RunHarness h;
    h.pointer.holdEscFromQuery(1, 2);
    EXPECT_EQ(h.run(PictureWith(10, 10, {{0, 0}, {5, 2}, {5, 3}, {5, 4}, {9, 9}}), 0, 0), 3);
    EXPECT_EQ(h.log.back(), "status2 処理終了");
}

TEST(RunDrawing, EscTappedMidStrokeAbortsAtTheNextTestAndReleasesThere) {
    RunHarness h;
    h.pointer.tapEscAfterMoves(4);  // start, (1,1), (2,1), then (3,1)
    EXPECT_EQ(h.run(PictureWith(10, 10, {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}}), 0, 0), 0);
    const auto releases = h.pointer.operationsOfKind(PointerOperation::Kind::Release);
    ASSERT_EQ(releases.size(), 1u);
    EXPECT_EQ(releases[0], FakePointer::Release(3, 1));
    EXPECT_EQ(h.pointer.moveCount(), 5);  // four moves and the move back before the release
    EXPECT_EQ(h.state.lastResult().ending, RunResult::Ending::Aborted);
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
    EXPECT_EQ(h.log.back(), "status2 中断");
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

TEST(CheckOrigin, MissingOriginAsksForOne) {
    const QSize screen(1280, 1024);
    for (const auto& [x, y] : std::vector<std::pair<QString, QString>>{
             {"**", "5"}, {"**", "**"}, {"", "5"}, {"5", ""}, {"", ""}}) {
        const OriginCheck check = CheckOrigin(x, y, screen);
        EXPECT_FALSE(check.ok) << x.toStdString() << " " << y.toStdString();
        EXPECT_EQ(check.message, QStringLiteral("開始座標を設定してください"));
    }
}

TEST(CheckOrigin, TextsThatAreNoWholeThirtyTwoBitNumberAreInvalid) {
    const QSize screen(1280, 1024);
    for (const auto& [x, y] : std::vector<std::pair<QString, QString>>{{"5", "**"},
                                                                       {"abc", "5"},
                                                                       {"5", "x1"},
                                                                       {"1e3", "5"},
                                                                       {"12.5", "5"},
                                                                       {"2147483648", "0"},
                                                                       {"0", "-2147483649"},
                                                                       {" ", "5"},
                                                                       {"0x10", "5"}}) {
        const OriginCheck check = CheckOrigin(x, y, screen);
        EXPECT_FALSE(check.ok) << x.toStdString() << " " << y.toStdString();
        EXPECT_EQ(check.message, QStringLiteral("開始座標が不正です"));
    }
}

TEST(CheckOrigin, ValuesUpToTheScreenSizeAndNegativeValuesPass) {
    const QSize screen(1280, 1024);
    OriginCheck check = CheckOrigin("1280", "1024", screen);
    EXPECT_TRUE(check.ok);
    EXPECT_EQ(check.OriginX, 1280);
    EXPECT_EQ(check.OriginY, 1024);
    check = CheckOrigin("-300", "-2147483648", screen);
    EXPECT_TRUE(check.ok);
    EXPECT_EQ(check.OriginX, -300);
    EXPECT_EQ(check.OriginY, -2147483647 - 1);
    EXPECT_TRUE(check.message.isEmpty());
}

TEST(CheckOrigin, OnePixelBeyondTheScreenIsInvalid) {
    const QSize screen(1280, 1024);
    EXPECT_EQ(CheckOrigin("1281", "0", screen).message, QStringLiteral("開始座標が不正です"));
    EXPECT_EQ(CheckOrigin("0", "1025", screen).message, QStringLiteral("開始座標が不正です"));
    EXPECT_FALSE(CheckOrigin("0", "1025", screen).ok);
}

TEST(StrokeCountText, IsTheLabelAndThePlainCount) {
    EXPECT_EQ(StrokeCountText(12), QStringLiteral("概算ｽﾄﾛｰｸ数:12"));
    EXPECT_EQ(StrokeCountText(144000), QStringLiteral("概算ｽﾄﾛｰｸ数:144000"));
}

}  // namespace
}  // namespace stylorex
