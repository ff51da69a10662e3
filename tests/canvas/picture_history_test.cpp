#include "canvas/picture_history.h"

#include "canvas/canvas_image.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace stylorex {
namespace {

constexpr QSize kLargest(600, 480);

// A picture of `size` whose every pixel depends on `seed`: no two seeds share a pixel row.
QImage noise(QSize size, std::uint32_t seed) {
    QImage image = MakeCanvasImage(size.width(), size.height());
    std::uint32_t x = seed * 2654435761u + 1;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int i = 0; i < image.width(); ++i) {
            x = x * 1664525u + 1013904223u;
            row[i] = 0xff000000u | (x >> 8);
        }
    }
    return image;
}

// The state a load of `picture` leaves on a canvas of `size`.
PictureState loaded(const QImage& picture, QSize size) {
    const QImage background = CanvasPicture(picture);
    return {background, ComposedCanvas(background, size)};
}

// `state` with `paint` done on its persistent image, as a painter tool would.
template <typename Paint>
PictureState painted(PictureState state, Paint paint) {
    QPainter painter(&state.persistent);
    paint(painter);
    return state;
}

PictureState withLine(const PictureState& state, int y) {
    return painted(state, [y](QPainter& p) { p.drawLine(10, y, 90, y); });
}

void expectState(const std::optional<PictureState>& got, const PictureState& want) {
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->persistent, want.persistent);
    EXPECT_EQ(got->background, want.background);
}

TEST(PictureHistory, UndoAndRedoBringBackEachStateWithItsBackgroundAndSize) {
    PictureHistory history;
    std::vector<PictureState> states;
    states.push_back({QImage(), MakeCanvasImage(200, 200)});
    states.push_back(withLine(states.back(), 20));
    states.push_back(loaded(noise(QSize(320, 250), 1), QSize(200, 200)));
    states.push_back(
        painted(states.back(), [](QPainter& p) { p.fillRect(5, 5, 30, 40, Qt::red); }));
    // The canvas grows over more of the loaded picture, its drawing kept.
    const PictureState& small = states.back();
    PictureState grown = {small.background, ComposedCanvas(small.background, QSize(300, 300))};
    QPainter(&grown.persistent).drawImage(0, 0, small.persistent);
    states.push_back(grown);
    states.push_back({QImage(), MakeCanvasImage(300, 300)});

    history.record(states[0]);
    for (std::size_t i = 1; i < states.size(); ++i) {
        EXPECT_TRUE(history.record(states[i])) << i;
        EXPECT_FALSE(history.record(states[i])) << "nothing changed";
    }
    // A commit makes the persistent image the background: nothing on view changes.
    const PictureState committed = {states.back().persistent, states.back().persistent};
    EXPECT_FALSE(history.record(committed));

    PictureState current = committed;
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        const std::optional<PictureState> before = history.undo(current);
        expectState(before, states[i - 1]);
        current = *before;
    }
    EXPECT_FALSE(history.undo(current));
    for (std::size_t i = 1; i < states.size(); ++i) {
        const std::optional<PictureState> after = history.redo(current);
        ASSERT_TRUE(after.has_value()) << i;
        EXPECT_EQ(after->persistent, states[i].persistent) << i;
        current = *after;
    }
    EXPECT_FALSE(history.redo(current));

    // A new step after an undo forgets what could have been redone.
    current = *history.undo(current);
    EXPECT_TRUE(history.record(withLine(current, 50)));
    EXPECT_EQ(history.redoSteps(), 0);
    EXPECT_FALSE(history.redo(withLine(current, 50)));
}

TEST(PictureHistory, KeepsTheNewestStepsUpToTheLimitAndOnlyTheirRectangles) {
    PictureHistory history;
    const int steps = PictureHistory::kMaxSteps + 20;
    std::vector<PictureState> states = {
        {QImage(), MakeCanvasImage(kLargest.width(), kLargest.height())}};
    history.record(states[0]);
    for (int i = 1; i <= steps; ++i) {
        states.push_back(withLine(states.back(), i * 3));
        history.record(states.back());
    }
    EXPECT_EQ(history.undoSteps(), PictureHistory::kMaxSteps);
    // Each line changed 81 × 1 pixels.
    EXPECT_LE(history.bytes(), PictureHistory::kMaxSteps * 81 * 4);

    PictureState current = states.back();
    for (int i = 0; i < PictureHistory::kMaxSteps; ++i) {
        current = *history.undo(current);
    }
    EXPECT_EQ(current.persistent, states[steps - PictureHistory::kMaxSteps].persistent);
    EXPECT_FALSE(history.undo(current));
}

TEST(PictureHistory, WholePictureChangesAt600By480StayWithinTheMemoryCapAndKeepFiftySteps) {
    auto fill = [](std::uint32_t seed) {
        return [seed](const PictureState& state) {
            return painted(state, [&](QPainter& p) { p.drawImage(0, 0, noise(kLargest, seed)); });
        };
    };
    auto load = [](std::uint32_t seed) {
        return [seed](const PictureState&) { return loaded(noise(kLargest, seed), kLargest); };
    };
    for (const bool loads : {true, false}) {
        SCOPED_TRACE(loads ? "loads" : "painter steps");
        PictureHistory history;
        std::vector<PictureState> states = {{QImage(), MakeCanvasImage(600, 480)}};
        history.record(states[0]);
        for (std::uint32_t i = 1; i <= 70; ++i) {
            states.push_back(loads ? load(i)(states.back()) : fill(i)(states.back()));
            history.record(states.back());
            ASSERT_LE(history.bytes(), PictureHistory::kMaxBytes) << i;
        }
        const int kept = history.undoSteps();
        EXPECT_GE(kept, 50);
        EXPECT_LT(kept, 70);

        PictureState current = states.back();
        for (int i = 1; i <= kept; ++i) {
            const std::optional<PictureState> before = history.undo(current);
            ASSERT_TRUE(before.has_value()) << i;
            ASSERT_EQ(before->persistent, states[states.size() - 1 - i].persistent) << i;
            ASSERT_LE(history.bytes(), PictureHistory::kMaxBytes) << i;
            current = *before;
        }
        EXPECT_FALSE(history.undo(current));
    }
}

}  // namespace
}  // namespace stylorex
