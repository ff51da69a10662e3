#include "engine/modifier_wait.h"

#include "tests/support/fake_clock.h"
#include "tests/support/pointer_fake.h"
#include "tests/support/recording_window.h"

#include <gtest/gtest.h>

namespace stylorex {
namespace {

// A pointer whose keyboard has a modifier held for the first `heldLooks` looks.
class ChordPointer : public FakePointer {
  public:
    std::optional<bool> modifierHeld() override { return ++looks <= heldLooks; }
    int heldLooks = 0;
    int looks = 0;
};

struct ModifierWaitTest : ::testing::Test {
    bool wait() {
        return WaitForModifiersUp(
            pointer, window, [&] { clock.advance(std::chrono::milliseconds(1)); }, clock);
    }
    ChordPointer pointer;
    RecordingWindow window;
    FakeClock clock;
};

TEST_F(ModifierWaitTest, WaitsUntilTheModifierIsUpAndSaysSo) {
    pointer.heldLooks = 5;
    EXPECT_TRUE(wait());
    EXPECT_EQ(pointer.looks, 6);
    EXPECT_EQ(window.panels[2], QStringLiteral("キーを離してください"));
    EXPECT_TRUE(pointer.operationsOfKind(PointerOperation::Kind::Press).empty());
}

TEST_F(ModifierWaitTest, EscWhileWaitingStops) {
    pointer.heldLooks = 1000;
    pointer.holdEscFromQuery(3);
    EXPECT_FALSE(wait());
    EXPECT_LT(pointer.looks, 10);
}

}  // namespace
}  // namespace stylorex
