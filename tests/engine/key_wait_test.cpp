#include "engine/key_wait.h"

#include "tests/support/fake_clock.h"
#include "tests/support/pointer_fake.h"

#include <gtest/gtest.h>

namespace stylorex {
namespace {

// A pointer whose keyboard has a key held for the first `heldLooks` looks.
class ChordPointer : public FakePointer {
  public:
    std::optional<bool> keyHeld() override { return ++looks <= heldLooks; }
    int heldLooks = 0;
    int looks = 0;
};

struct KeyWaitTest : ::testing::Test {
    bool wait() {
        return WaitForKeysUp(
            pointer, [&] { ++waitingTold; },
            [&] {
                clock.advance(std::chrono::milliseconds(1));
                return pointer.stopWatch().escPressed();
            },
            clock);
    }
    ChordPointer pointer;
    FakeClock clock;
    int waitingTold = 0;
};

TEST_F(KeyWaitTest, WaitsUntilTheKeyIsUpAndSaysSoOnce) {
    EXPECT_TRUE(wait());
    EXPECT_EQ(waitingTold, 0);
    pointer.heldLooks = 5;
    pointer.looks = 0;
    EXPECT_TRUE(wait());
    EXPECT_EQ(pointer.looks, 6);
    EXPECT_EQ(waitingTold, 1);
    EXPECT_TRUE(pointer.operationsOfKind(PointerOperation::Kind::Press).empty());
}

TEST_F(KeyWaitTest, EscWhileWaitingStops) {
    pointer.heldLooks = 1000;
    pointer.holdEscFromQuery(3);
    EXPECT_FALSE(wait());
    EXPECT_LT(pointer.looks, 10);
}

}  // namespace
}  // namespace stylorex
