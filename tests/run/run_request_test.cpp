#include "run/run_request.h"

#include "tests/engine/test_pictures.h"
#include "tests/support/fake_clock.h"
#include "tests/support/pointer_fake.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

#include <unistd.h>

namespace stylorex {
namespace {

using testing::PictureWith;
using Reason = RunRefusal::Reason;

// A pointer on a display of its own: no other test process takes its run lock.
class RunRequestTest : public ::testing::Test {
  protected:
    void SetUp() override {
        pointer.setDisplayName(QStringLiteral("test-display-%1").arg(::getpid()));
        pointer.setScreenSize(QSize(1280, 1024));
    }

    // The services of `run` on the test's clock, which each yield moves by a millisecond.
    RunServices servicesOf(const ReadyRun& run) {
        RunServices services = run.services(clock);
        services.yield = [this] { clock.advance(std::chrono::milliseconds(1)); };
        return services;
    }

    // Why a run of `picture` at `origin` is refused; nothing when it is made ready.
    std::optional<Reason> refusal(const QImage& picture, QPoint origin) {
        auto ready = RunRequest(picture, origin, settings).ready(devices);
        if (const auto* refused = std::get_if<RunRefusal>(&ready)) {
            return refused->reason;
        }
        return std::nullopt;
    }

    FakePointer pointer;
    FakeClock clock;
    RunSettings settings;
    RunDevices devices{&pointer, {}, nullptr};

  private:
};

// A line from (5, 5) to (150, 5), and one pixel at (150, 99): the line pixels span (5, 5) to
// (150, 99) of a 200 × 200 picture.
QImage Lines() {
    QImage picture = PictureWith(200, 200, {{150, 99}});
    for (int x = 5; x <= 150; ++x) {
        picture.setPixel(x, 5, qRgb(0, 0, 0));
    }
    return picture;
}

TEST_F(RunRequestTest, EachRefusalComesBeforeAnythingMoves) {
    const QImage lines = Lines();
    const RunRequest request(lines, QPoint(1129, 924), settings);
    EXPECT_EQ(request.bounds(), QRect(QPoint(1134, 929), QPoint(1279, 1023)));
    EXPECT_EQ(request.plan().strokes, 2);
    EXPECT_EQ(request.plan().linePixels, 147);
    EXPECT_FALSE(request.leavesScreen(QSize(1280, 1024)));
    EXPECT_TRUE(request.leavesScreen(QSize(1279, 1024)));

    auto noDisplay = RunRequest(lines, QPoint(0, 0), settings)
                         .ready(RunDevices{nullptr, QStringLiteral("X がありません"), nullptr});
    ASSERT_TRUE(std::holds_alternative<RunRefusal>(noDisplay));
    EXPECT_EQ(std::get<RunRefusal>(noDisplay).reason, Reason::NoDisplay);
    EXPECT_EQ(RefusalText(std::get<RunRefusal>(noDisplay)), QStringLiteral("X がありません"));

    EXPECT_EQ(refusal(testing::FilledPicture(200, 200, Qt::white), QPoint(0, 0)),
              Reason::NothingToDraw);
    // By the line pixels, not the picture's white margins: the last line pixel on the screen's
    // last column and row is drawn; one further right or down, or the first one left of the
    // screen, is not.
    EXPECT_EQ(refusal(lines, QPoint(1129, 924)), std::nullopt);
    for (const QPoint origin : {QPoint(1130, 924), QPoint(1129, 925), QPoint(-6, 0)}) {
        EXPECT_EQ(refusal(lines, origin), Reason::LeavesScreen) << origin.x() << "," << origin.y();
    }
    EXPECT_EQ(RefusalText({Reason::LeavesScreen, {}}),
              QStringLiteral("描画範囲が画面からはみ出します"));

    {
        const RunLock elsewhere(pointer.displayName());
        EXPECT_EQ(refusal(lines, QPoint(0, 0)), Reason::AnotherRun);
    }
    EXPECT_EQ(RefusalText({Reason::AnotherRun, {}}), QStringLiteral("別の描画が実行中です"));

    // In colour, a swatch off the screen: its click would land on the screen's edge.
    settings.colour = ColourSettings{};
    for (const QPoint off : {QPoint(5000, 5000), QPoint(-3, -3), QPoint(1280, 10)}) {
        settings.colour->palette.swatches = {{QPoint(10, 10), qRgb(0, 0, 0)}, {off, qRgb(0, 0, 0)}};
        EXPECT_EQ(refusal(lines, QPoint(0, 0)), Reason::SwatchOffScreen) << off.x();
    }
    settings.colour->palette.swatches = {{QPoint(1279, 1023), qRgb(0, 0, 0)}};
    EXPECT_EQ(refusal(lines, QPoint(0, 0)), std::nullopt);
    EXPECT_EQ(RefusalText({Reason::SwatchOffScreen, QStringLiteral("2")}),
              QStringLiteral("スウォッチ 2 が画面の外にあります"));
    EXPECT_TRUE(pointer.operations().empty());
}

TEST_F(RunRequestTest, AReadyRunHoldsItsDisplayUntilItIsGoneAndDrawsItsScan) {
    const QImage lines = Lines();
    RunState state;
    {
        auto ready = RunRequest(lines, QPoint(100, 200), settings).ready(devices);
        ASSERT_TRUE(std::holds_alternative<ReadyRun>(ready));
        ReadyRun& run = std::get<ReadyRun>(ready);
        EXPECT_EQ(refusal(lines, QPoint(0, 0)), Reason::AnotherRun);

        RunServices services = servicesOf(run);
        EXPECT_EQ(run.draw(services, state), 2);
        EXPECT_EQ(pointer.operationsOfKind(PointerOperation::Kind::Press),
                  (std::vector{FakePointer::Press(105, 205), FakePointer::Press(250, 299)}));
        EXPECT_EQ(state.origin(), QPoint(100, 200));
        EXPECT_THROW(run.draw(services, state), std::logic_error);
    }
    EXPECT_EQ(refusal(lines, QPoint(0, 0)), std::nullopt);
}

TEST_F(RunRequestTest, AResumedRunPlansAndDrawsWhatTheStoppedOneLeft) {
    const QImage lines = Lines();
    RunState state;
    pointer.tapEscAfterMoves(20);
    {
        auto ready = RunRequest(lines, QPoint(0, 0), settings).ready(devices);
        RunServices services = servicesOf(std::get<ReadyRun>(ready));
        std::get<ReadyRun>(ready).draw(services, state);
    }
    ASSERT_TRUE(state.resumable());
    const RunRequest rest(state, settings);
    EXPECT_EQ(rest.plan().strokes, 2);
    EXPECT_EQ(rest.bounds(), QRect(QPoint(25, 5), QPoint(150, 99)));

    auto ready = RunRequest(state, settings).ready(devices);
    ASSERT_TRUE(std::holds_alternative<ReadyRun>(ready));
    RunServices services = servicesOf(std::get<ReadyRun>(ready));
    EXPECT_EQ(std::get<ReadyRun>(ready).draw(services, state), 2);
    EXPECT_EQ(state.lastResult().ending, RunResult::Ending::Completed);
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
    EXPECT_EQ(check.origin.x(), 1280);
    EXPECT_EQ(check.origin.y(), 1024);
    check = CheckOrigin("-300", "-2147483648", screen);
    EXPECT_TRUE(check.ok);
    EXPECT_EQ(check.origin.x(), -300);
    EXPECT_EQ(check.origin.y(), -2147483647 - 1);
    EXPECT_TRUE(check.message.isEmpty());
}

TEST(CheckOrigin, OnePixelBeyondTheScreenIsInvalid) {
    const QSize screen(1280, 1024);
    EXPECT_EQ(CheckOrigin("1281", "0", screen).message, QStringLiteral("開始座標が不正です"));
    EXPECT_EQ(CheckOrigin("0", "1025", screen).message, QStringLiteral("開始座標が不正です"));
    EXPECT_FALSE(CheckOrigin("0", "1025", screen).ok);
}

}  // namespace
}  // namespace stylorex
