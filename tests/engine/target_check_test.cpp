#include "engine/target_check.h"

#include "tests/support/fake_clock.h"
#include "tests/support/screen_fake.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>

namespace stylorex {
namespace {

using std::chrono::milliseconds;

// A 20 × 20 rectangle at (100, 100) that a run drew a line of ten pixels into; the target paints
// it when the test says, measured on a clock that the wait's yields move on by a millisecond.
class SettleTest : public ::testing::Test {
  protected:
    SettleTest() {
        drawn.width = drawn.height = 20;
        drawn.cells.assign(400, 0);
        for (int x = 0; x < 10; ++x) {
            drawn.cells[5 * 20 + x] = 1;
        }
        before = screen.grab(rect);
    }

    // Paints line pixels [from, to) once the wait has lasted `at`.
    void paintAt(milliseconds at, int from, int to) { plan.push_back({at, from, to}); }

    milliseconds settle() {
        const auto start = clock.now();
        const std::optional<QImage> last = WaitForSettledArea(
            screen, rect, before, drawn, std::nullopt,
            [&] {
                clock.advance(milliseconds(1));
                for (const Paint& p : plan) {
                    if (clock.now() - start >= p.at) {
                        for (int x = p.from; x < p.to; ++x) {
                            screen.image.setPixel(100 + x, 100 + paintRow, qRgb(255, 0, 0));
                        }
                    }
                }
            },
            clock, rules, [&] { return stopAt && clock.now() - start >= *stopAt; });
        stopped = !last;
        shown = 0;
        for (int x = 0; last && x < 10; ++x) {
            shown += last->pixel(x, paintRow) != before.pixel(x, paintRow) ? 1 : 0;
        }
        return std::chrono::duration_cast<milliseconds>(clock.now() - start);
    }

    struct Paint {
        milliseconds at;
        int from;
        int to;
    };
    FakeScreen screen;
    FakeClock clock;
    const QRect rect{100, 100, 20, 20};
    DrawMask drawn;
    QImage before;
    std::vector<Paint> plan;
    int shown = 0;
    // A stop (Esc, a signal) this long into the wait; whether the wait ended for it.
    std::optional<milliseconds> stopAt;
    bool stopped = false;
    SettleRules rules;
    // The row the target paints the line on: 5 where it lies, another for a pen that is off.
    int paintRow = 5;
};

TEST_F(SettleTest, InkThatComesSecondsLateIsWaitedForNotCountedAsNothingChanged) {
    paintAt(milliseconds(4000), 0, 10);
    const milliseconds took = settle();
    EXPECT_EQ(shown, 10);
    EXPECT_LT(took, milliseconds(4000) + rules.quietWhenComplete + 2 * rules.interval);
}

TEST_F(SettleTest, ATargetStillCatchingUpIsWaitedForUntilItStops) {
    paintAt(milliseconds(0), 0, 4);
    paintAt(milliseconds(600), 4, 7);
    paintAt(milliseconds(1200), 7, 10);
    settle();
    EXPECT_EQ(shown, 10);
}

TEST_F(SettleTest, ACompleteLineEndsTheWaitSoon) {
    paintAt(milliseconds(0), 0, 10);
    EXPECT_LT(settle(), rules.quietWhenComplete + 2 * rules.interval);
    EXPECT_EQ(shown, 10);
}

TEST_F(SettleTest, UnderTheTolerantCheckInkAPixelOffCompletesTheLine) {
    // A pen centred on the pixels' corners inks the row below the line.
    paintRow = 6;
    paintAt(milliseconds(0), 0, 10);
    rules.tolerance = 1;
    EXPECT_LT(settle(), rules.quietWhenComplete + 2 * rules.interval);
    EXPECT_EQ(shown, 10);

    // Under the exact check the line is still missing, and waited for.
    rules.tolerance = 0;
    EXPECT_GE(settle(), rules.quietWhenIncomplete);
}

TEST_F(SettleTest, MissingPixelsAreCountedAfterAQuietSecond) {
    paintAt(milliseconds(0), 0, 9);
    const milliseconds took = settle();
    EXPECT_EQ(shown, 9);
    EXPECT_GE(took, rules.quietWhenIncomplete);
    EXPECT_LT(took, rules.quietWhenIncomplete + 2 * rules.interval);
}

TEST_F(SettleTest, NothingChangedIsWaitedOutToTheLimit) {
    const milliseconds took = settle();
    EXPECT_EQ(shown, 0);
    EXPECT_GE(took, rules.limit);
    EXPECT_LT(took, rules.limit + 2 * rules.interval);
    EXPECT_FALSE(stopped);

    // A stop is answered at the next yield, not at the limit.
    stopAt = milliseconds(200);
    EXPECT_LT(settle(), milliseconds(202));
    EXPECT_TRUE(stopped);
}

}  // namespace
}  // namespace stylorex
