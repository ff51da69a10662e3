#include "engine/ink_follower.h"

#include "tests/support/fake_clock.h"
#include "tests/support/screen_fake.h"

#include <gtest/gtest.h>

namespace stylorex {
namespace {

using Wait = InkFollower::Wait;

// A follower of the rectangle at (100, 100), read before the run with one pixel already red.
class InkFollowerTest : public ::testing::Test {
  protected:
    InkFollowerTest() {
        screen.image.setPixel(105, 100, qRgb(255, 0, 0));
        follower = std::make_unique<InkFollower>(screen, screen.grab(area), area.topLeft(), clock);
    }

    Wait waitAt(QPoint at) {
        return follower->waitForInk(at, [this] {
            ++betweens;
            clock.advance(std::chrono::microseconds(100));
            return abortAfter > 0 && betweens >= abortAfter;
        });
    }
    // Reads after which the target shows red at `at`.
    void inkAfterReads(QPoint at, int reads) {
        screen.onRead = [this, at, reads](QPoint read) {
            if (read == at && --readsLeft_ <= 0) {
                screen.image.setPixel(at, qRgb(255, 0, 0));
            }
        };
        readsLeft_ = reads;
    }

    FakeScreen screen;
    FakeClock clock;
    const QRect area{100, 100, 20, 20};
    std::unique_ptr<InkFollower> follower;
    int betweens = 0;
    int abortAfter = 0;

  private:
    int readsLeft_ = 0;
};

TEST_F(InkFollowerTest, LearnsTheInkFromTheFirstChangeAndSkipsPixelsThatAlreadyHadIt) {
    EXPECT_EQ(follower->ink(), std::nullopt);
    inkAfterReads(QPoint(101, 100), 4);
    EXPECT_EQ(waitAt(QPoint(101, 100)), Wait::Inked);
    EXPECT_EQ(screen.reads.size(), 4u);
    EXPECT_EQ(betweens, 3 * 3);  // 250 µs between reads, 100 µs a yield
    EXPECT_EQ(follower->ink(), qRgb(255, 0, 0));
    EXPECT_EQ(follower->meanInkTime(), std::chrono::microseconds(900));

    // Red before the run: no change can show there, so no read and no wait.
    screen.reads.clear();
    EXPECT_EQ(waitAt(QPoint(105, 100)), Wait::AlreadyInk);
    EXPECT_TRUE(screen.reads.empty());
    // Any other colour is waited on, black included.
    screen.image.setPixel(106, 100, qRgb(0, 0, 0));
    EXPECT_EQ(waitAt(QPoint(106, 100)), Wait::Inked);
    // Two colours (ink and a cursor drawn into the canvas) are no soft pen yet.
    EXPECT_FALSE(follower->softPen());
}

// A pen that inks in shades may leave the pixel under the pointer as it was (antialiased along
// pixel corners): once three shades showed, ink anywhere around the pointer that came after the
// move counts, and a wait that sees none gives up within a few frames, not the slow limit.
TEST_F(InkFollowerTest, ASoftPenIsLearnedFromItsShadesAndWaitedForAroundThePointer) {
    const QRgb shades[] = {qRgb(120, 120, 120), qRgb(60, 60, 60), qRgb(200, 200, 200)};
    for (int i = 0; i < 3; ++i) {
        screen.image.setPixel(101 + i, 103, shades[i]);
        EXPECT_EQ(waitAt(QPoint(101 + i, 103)), Wait::Inked);
    }
    ASSERT_TRUE(follower->softPen());
    // Ink before the move does not answer its wait; ink beside the pointer after it does.
    const QPoint at(110, 110);
    follower->aboutToMove(at);
    screen.image.setPixel(at + QPoint(1, -1), shades[1]);
    EXPECT_EQ(waitAt(at), Wait::Inked);
    EXPECT_EQ(screen.image.pixel(at), qRgb(255, 255, 255));
    EXPECT_EQ(waitAt(at), Wait::Inked) << "asked again before a release";
    const QPoint next(112, 110);
    screen.image.setPixel(next + QPoint(1, 0), shades[0]);
    follower->aboutToMove(next);
    const auto start = clock.now();
    EXPECT_EQ(waitAt(next), Wait::GaveUp);
    EXPECT_LT(clock.now() - start, InkFollower::kSlowLimit);
    EXPECT_FALSE(follower->fellBack());
}

TEST_F(InkFollowerTest, GivesUpAtTheLimitAndFallsBackAfterTwentyInARow) {
    const QPoint white(110, 110);
    for (int i = 1; i < InkFollower::kGiveUpsBeforeFallBack; ++i) {
        const auto start = clock.now();
        EXPECT_EQ(waitAt(white), Wait::GaveUp);
        EXPECT_GE(clock.now() - start, InkFollower::kLimit);
        EXPECT_LT(clock.now() - start, InkFollower::kLimit + InkFollower::kPollInterval * 2);
    }
    EXPECT_FALSE(follower->fellBack());
    // A pixel that shows ink starts the count again.
    inkAfterReads(QPoint(111, 110), 1);
    EXPECT_EQ(waitAt(QPoint(111, 110)), Wait::Inked);
    for (int i = 1; i < InkFollower::kGiveUpsBeforeFallBack; ++i) {
        waitAt(white);
    }
    EXPECT_FALSE(follower->fellBack());
    // Outside the rectangle read before the run: given up at once.
    EXPECT_EQ(follower->waitForInk(QPoint(99, 100), [] { return false; }), Wait::GaveUp);
    EXPECT_TRUE(follower->fellBack());
}

TEST_F(InkFollowerTest, ATargetWhoseInkComesLateInOrderIsNoLongerWaitedFor) {
    // Every pixel given up at shows its ink later, in the order they were drawn.
    for (int x = 100; x < 100 + InkFollower::kLateInOrder; ++x) {
        EXPECT_EQ(waitAt(QPoint(x, 112)), Wait::GaveUp);
    }
    EXPECT_FALSE(follower->paintsLate());
    for (int x = 100; x < 100 + InkFollower::kLateInOrder; ++x) {
        screen.image.setPixel(x, 112, qRgb(255, 0, 0));
        clock.advance(std::chrono::milliseconds(2));
        follower->notice();
    }
    EXPECT_TRUE(follower->paintsLate());
    // Now a wait only notes the pixel: no wait, and a read or two.
    screen.reads.clear();
    const auto start = clock.now();
    EXPECT_EQ(waitAt(QPoint(110, 113)), Wait::Owed);
    EXPECT_EQ(clock.now(), start);
    EXPECT_LE(screen.reads.size(), 2U);
    // A press's ink is still waited for, until it shows.
    inkAfterReads(QPoint(111, 113), 3);
    EXPECT_EQ(follower->waitForPressInk(QPoint(111, 113),
                                        [this] {
                                            clock.advance(std::chrono::microseconds(100));
                                            return false;
                                        }),
              Wait::Inked);
    EXPECT_GT(clock.now(), start);
    // Red before the run counts as ink; white that never changes is given up at kLateLimit.
    EXPECT_TRUE(follower->showedLateInk(QPoint(0, 0)));
    EXPECT_TRUE(follower->hasInk(QPoint(105, 100)));
    EXPECT_FALSE(follower->hasInk(QPoint(112, 113)));
    const auto pressed = clock.now();
    EXPECT_EQ(follower->waitForPressInk(QPoint(112, 113),
                                        [this] {
                                            clock.advance(std::chrono::milliseconds(1));
                                            return false;
                                        }),
              Wait::GaveUp);
    EXPECT_GE(clock.now() - pressed, InkFollower::kLateLimit);
}

TEST_F(InkFollowerTest, ATargetThatLeavesAPixelOutIsNotTakenToPaintLate) {
    for (int x = 100; x < 100 + InkFollower::kLateInOrder + 1; ++x) {
        waitAt(QPoint(x, 112));
    }
    // The first stays without ink while the second shows it: a target that joins past what it
    // missed, not one that works through every move.
    for (int x = 101; x < 100 + InkFollower::kLateInOrder + 1; ++x) {
        screen.image.setPixel(x, 112, qRgb(255, 0, 0));
        clock.advance(std::chrono::milliseconds(2));
        follower->notice();
    }
    EXPECT_FALSE(follower->paintsLate());
}

TEST_F(InkFollowerTest, StopsWaitingWhenAskedBetweenReads) {
    abortAfter = 5;
    EXPECT_EQ(waitAt(QPoint(110, 110)), Wait::Aborted);
    EXPECT_EQ(betweens, 5);
    EXPECT_EQ(screen.reads.size(), 2u);
}

}  // namespace
}  // namespace stylorex
