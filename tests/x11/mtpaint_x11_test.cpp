// Runs through the X11 backend into the real mtPaint and the real xpaint, the screen read back
// through X11Screen: the follow mode must draw the pictures exactly, bare, under a window manager
// and with every processor kept busy, and the check must count what the screen shows.
#include "bench/acceptance_pictures.h"
#include "engine/drawing_run.h"
#include "os/x11/screen_x11.h"
#include "os/x11/x11_pointer.h"
#include "tests/x11/busy_processors.h"
#include "tests/x11/mtpaint_target.h"
#include "tests/x11/painting_target.h"
#include "tests/x11/program_window.h"
#include "tests/x11/window_manager.h"
#include "tests/x11/x11_session.h"
#include "tests/x11/xpaint_target.h"

#include <QImage>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <vector>

#include <X11/Xlib.h>

namespace stylorex {
namespace {

using testing::MtPaintTarget;
using Pixels = testing::PixelSet;

// The pixels of `after` that differ from `before`, as screen pixels of the rectangle at `at`.
Pixels Changed(const QImage& before, const QImage& after, QPoint at) {
    Pixels changed;
    for (int y = 0; y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x) {
            if (before.pixel(x, y) != after.pixel(x, y)) {
                changed.insert({at.x() + x, at.y() + y});
            }
        }
    }
    return changed;
}

class MtPaintRunX11 : public ::testing::Test {
  protected:
    void SetUp() override {
        backend = testing::OpenBackend();
        ASSERT_NE(backend, nullptr);
        QString error;
        screen = X11Screen::open(&error);
        ASSERT_NE(screen, nullptr) << error.toStdString();
        session.moveTo(1270, 1010);
    }
    void TearDown() override { session.restore(); }

    // Draws each picture into an mtPaint of its own with the follow mode, then compares what
    // the screen shows with the picture's line pixels and with the run's check.
    void drawsExactly(int windowX, int windowY, testing::FocusHolder* holder = nullptr) {
        drawsExactlyInto<MtPaintTarget>(
            [&] { return std::make_unique<MtPaintTarget>(windowX, windowY); }, followed(),
            {AcceptancePicture::LineArt, AcceptancePicture::Text, AcceptancePicture::Dots}, holder);
    }

    static RunSettings followed() {
        RunSettings settings;
        settings.modes.FollowTarget = true;
        return settings;
    }

    // Draws each picture into a target of its own (`open`) with `settings`, as drawsExactly.
    template <typename Target>
    void drawsExactlyInto(const std::function<std::unique_ptr<Target>()>& open,
                          const RunSettings& settings, std::vector<AcceptancePicture> pictures,
                          testing::FocusHolder* holder = nullptr) {
        for (const AcceptancePicture kind : pictures) {
            SCOPED_TRACE(AcceptancePictureName(kind).toStdString());
            const std::unique_ptr<Target> target = open();
            ASSERT_TRUE(target->ready()) << target->error().toStdString();
            if (holder != nullptr) {
                ASSERT_TRUE(holder->takeFocus());
            }
            const QImage picture = MakeAcceptancePicture(kind);
            const QPoint origin = target->canvas().topLeft() + QPoint(20, 20);
            const QRect area(origin, picture.size());
            Pixels expected;
            for (const auto& [x, y] : testing::DarkPixels(picture)) {
                expected.insert({origin.x() + x, origin.y() + y});
            }
            const QImage before = screen->grab(area);
            RunServices services{*backend, {}, SystemClock()};
            services.screen = screen.get();
            RunDrawing(picture, origin.x(), origin.y(), settings, services, runs);
            XSync(backend->display(), False);
            EXPECT_EQ(runs.lastResult().ending, RunResult::Ending::Completed);
            EXPECT_FALSE(session.leftButtonDown());
            QImage after = screen->grab(area);
            testing::Eventually(
                [&] {
                    QImage again = screen->grab(area);
                    std::swap(again, after);
                    return again == after;
                },
                3000, 100);
            const Pixels changed = Changed(before, after, origin);
            const RunCheck& check = runs.lastResult().check;
            ASSERT_EQ(check.outcome, RunCheck::Outcome::Checked);
            EXPECT_EQ(testing::ToPixelSet(check.missing), testing::Minus(expected, changed));
            EXPECT_EQ(testing::ToPixelSet(check.extra), testing::Minus(changed, expected));
            EXPECT_EQ(changed.size(), expected.size());
            EXPECT_EQ(testing::Minus(expected, changed).size(), 0U);
            EXPECT_EQ(testing::Minus(changed, expected).size(), 0U);
            EXPECT_EQ(check.fellBack, false) << "the follow mode fell back";
        }
    }

    testing::X11Session session;
    std::unique_ptr<X11Pointer> backend;
    std::unique_ptr<X11Screen> screen;
    RunState runs;
};

TEST_F(MtPaintRunX11, FollowedRunsDrawThePicturesExactly) {
    drawsExactly(0, 0);
}

TEST_F(MtPaintRunX11, FollowedRunsDrawThePicturesExactlyUnderAWindowManager) {
    testing::WindowManager manager;
    ASSERT_TRUE(manager.running());
    testing::FocusHolder holder(1100, 800);
    drawsExactly(0, 0, &holder);
}

TEST_F(MtPaintRunX11, FollowedRunsStayExactWithEveryProcessorBusy) {
    const testing::BusyProcessors busy;
    ASSERT_GE(busy.count(), 1U);
    drawsExactly(0, 0);
}

// xpaint handles every motion event and joins it to the last with a line.
TEST_F(MtPaintRunX11, FollowedRunsDrawThePicturesExactlyIntoXPaint) {
    drawsExactlyInto<testing::XPaintTarget>(
        [] { return std::make_unique<testing::XPaintTarget>(); }, followed(),
        {AcceptancePicture::LineArt, AcceptancePicture::FilledShapes});
}

// Each straight run as one move at the fixed wait, as the window's option sends it.
TEST_F(MtPaintRunX11, JoinedRunsAtTheFixedWaitDrawTheFilledShapesExactlyIntoXPaint) {
    RunSettings settings;
    settings.WaitTime = 5;
    settings.modes.JoinRuns = true;
    drawsExactlyInto<testing::XPaintTarget>(
        [] { return std::make_unique<testing::XPaintTarget>(); }, settings,
        {AcceptancePicture::FilledShapes, AcceptancePicture::FilledShapes});
}

}  // namespace
}  // namespace stylorex
