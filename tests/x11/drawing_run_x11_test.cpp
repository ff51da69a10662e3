// Drawing runs through the X11 backend into a window of the test's own: no fake on the path.
#include "engine/drawing_run.h"
#include "os/x11/x11_pointer.h"
#include "tests/support/recording_observer.h"

#include "tests/x11/target_window.h"
#include "tests/x11/x11_session.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace stylorex {
namespace {

using testing::kOriginX;
using testing::kOriginY;
using testing::OpenBackend;
using testing::ReceivedEvent;
using testing::TargetWindow;
using testing::X11Session;
using Kind = ReceivedEvent::Kind;

QImage PictureWith(int width, int height, const std::vector<std::pair<int, int>>& pixels) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (const auto& [x, y] : pixels) {
        image.setPixelColor(x, y, Qt::black);
    }
    return image;
}

QImage VerticalLine(int x, int fromY, int toY) {
    std::vector<std::pair<int, int>> pixels;
    for (int y = fromY; y <= toY; ++y) {
        pixels.emplace_back(x, y);
    }
    return PictureWith(40, 60, pixels);
}

ReceivedEvent At(Kind kind, int x, int y) {
    return ReceivedEvent{kind, kOriginX + x, kOriginY + y};
}

class DrawingRunX11 : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(target.mapped());
        pointer = OpenBackend();
        ASSERT_NE(pointer, nullptr);
        session.moveTo(5, 5);  // outside the target
        target.discard();
    }

    std::int32_t run(const QImage& picture, std::function<void()> yield = {}) {
        RunServices services{*pointer, std::move(yield), SystemClock()};
        services.observer = &observer;
        RunSettings settings;
        settings.WaitTime = 0;
        const std::int32_t strokes =
            RunDrawing(picture, kOriginX, kOriginY, settings, services, runs);
        XSync(pointer->display(), False);
        return strokes;
    }

    std::vector<ReceivedEvent> received() {
        return testing::WithoutRepeatedMotions(target.collect());
    }

    X11Session session;
    TargetWindow target{testing::kTargetX, testing::kTargetY, 200, 200};
    std::unique_ptr<X11Pointer> pointer;
    RecordingObserver observer;
    RunState runs;
};

TEST_F(DrawingRunX11, EveryStrokeArrivesAtOriginPlusPixelInOrder) {
    // A vertical stroke, a single pixel, a horizontal stroke and a diagonal one.
    const QImage picture = PictureWith(20, 20,
                                       {{2, 1},
                                        {2, 2},
                                        {2, 3},
                                        {2, 4},
                                        {6, 1},
                                        {4, 6},
                                        {5, 6},
                                        {6, 6},
                                        {7, 6},
                                        {10, 10},
                                        {11, 11},
                                        {12, 12}});
    EXPECT_EQ(run(picture), 4);
    const auto events = received();
    const std::vector<ReceivedEvent> expected = {
        At(Kind::Motion, 2, 1),   At(Kind::Press, 2, 1),     At(Kind::Motion, 2, 2),
        At(Kind::Motion, 2, 3),   At(Kind::Motion, 2, 4),    At(Kind::Release, 2, 4),
        At(Kind::Motion, 6, 1),   At(Kind::Press, 6, 1),     At(Kind::Release, 6, 1),
        At(Kind::Motion, 4, 6),   At(Kind::Press, 4, 6),     At(Kind::Motion, 5, 6),
        At(Kind::Motion, 6, 6),   At(Kind::Motion, 7, 6),    At(Kind::Release, 7, 6),
        At(Kind::Motion, 10, 10), At(Kind::Press, 10, 10),   At(Kind::Motion, 11, 11),
        At(Kind::Motion, 12, 12), At(Kind::Release, 12, 12),
    };
    EXPECT_EQ(events, expected) << testing::Describe(events);
    EXPECT_FALSE(session.leftButtonDown());
}

TEST_F(DrawingRunX11, EscTappedMidStrokeAbortsWithinOneMoveWithTheButtonUp) {
    int moves = 0;
    const std::int32_t strokes = run(VerticalLine(3, 0, 40), [&] {
        if (++moves == 5) {
            session.tapEsc();
        } else if (moves > 5) {
            // Time for the key watcher, should it not have run yet on a busy machine.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    EXPECT_EQ(strokes, 0);
    EXPECT_LE(moves, 6) << "the run went on after Esc";
    EXPECT_FALSE(session.leftButtonDown());
    const auto events = received();
    ASSERT_GE(events.size(), 3u) << testing::Describe(events);
    // The release is the last event, where the pointer stood: at the fifth or sixth pixel.
    const ReceivedEvent last = events.back();
    EXPECT_EQ(last.kind, Kind::Release) << testing::Describe(events);
    EXPECT_EQ(last.x, kOriginX + 3);
    EXPECT_TRUE(last.y == kOriginY + 5 || last.y == kOriginY + 6) << testing::Describe(events);
    EXPECT_EQ(events[events.size() - 2], At(Kind::Motion, 3, last.y - kOriginY));
}

TEST_F(DrawingRunX11, EscHeldAtTheStartAbortsAfterTheFirstMoveOfALongerStroke) {
    session.pressEsc();
    ASSERT_TRUE(testing::Eventually([&] { return pointer->stopWatch().escPressed(); }));
    const QImage picture = PictureWith(40, 60, {{1, 0}, {3, 2}, {3, 3}, {3, 4}, {3, 5}});
    const std::int32_t strokes = run(picture);
    session.releaseEsc();
    EXPECT_EQ(strokes, 1);
    EXPECT_FALSE(session.leftButtonDown());
    // The Esc held from before the run is released after it, when the key is no longer kept from
    // the window under the pointer: only the pointer's events count here.
    auto events = received();
    std::erase_if(events, [](const ReceivedEvent& e) {
        return e.kind == Kind::KeyDown || e.kind == Kind::KeyUp;
    });
    EXPECT_EQ(events, (std::vector<ReceivedEvent>{At(Kind::Motion, 1, 0), At(Kind::Press, 1, 0),
                                                  At(Kind::Release, 1, 0), At(Kind::Motion, 3, 2),
                                                  At(Kind::Press, 3, 2), At(Kind::Motion, 3, 3),
                                                  At(Kind::Release, 3, 3)}))
        << testing::Describe(events);
}

TEST_F(DrawingRunX11, EscTappedBeforeTheStartIsIgnored) {
    session.tapEsc();
    // Let the key watcher latch the tap (it runs on its own thread) without asking for it:
    // the run's own two queries before the scan must be what discards it.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(run(VerticalLine(3, 0, 20)), 1);
    EXPECT_FALSE(session.leftButtonDown());
    const auto events = received();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), At(Kind::Release, 3, 20)) << testing::Describe(events);
}

TEST_F(DrawingRunX11, ARunStartedWithCtrlHeldPressesOnlyOnceCtrlIsUp) {
    // A window of the test's own over the target, for the keyboard state each press carries.
    Display* recorder = XOpenDisplay(nullptr);
    ASSERT_NE(recorder, nullptr);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.event_mask = ButtonPressMask;
    const Window over = XCreateWindow(
        recorder, DefaultRootWindow(recorder), testing::kTargetX, testing::kTargetY, 200, 200, 0,
        CopyFromParent, InputOnly, CopyFromParent, CWOverrideRedirect | CWEventMask, &attributes);
    XMapRaised(recorder, over);
    XSync(recorder, False);

    // Ctrl is held as the key chord that started the run left it, and let go 300 ms later.
    const KeyCode control = XKeysymToKeycode(session.display(), XK_Control_L);
    XTestFakeKeyEvent(session.display(), control, True, CurrentTime);
    XSync(session.display(), False);
    std::thread letGo([control] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        Display* keys = XOpenDisplay(nullptr);
        XTestFakeKeyEvent(keys, control, False, CurrentTime);
        XCloseDisplay(keys);  // flushes
    });
    EXPECT_EQ(run(VerticalLine(3, 0, 10)), 1);
    letGo.join();

    XSync(recorder, False);
    XEvent event;
    ASSERT_TRUE(XCheckTypedWindowEvent(recorder, over, ButtonPress, &event));
    EXPECT_EQ(event.xbutton.state & (ControlMask | ShiftMask | Mod1Mask | Mod4Mask), 0U);
    EXPECT_NE(std::find(observer.events.begin(), observer.events.end(), "keys held"),
              observer.events.end());
    EXPECT_EQ(runs.lastResult().ending, RunResult::Ending::Completed);
    XDestroyWindow(recorder, over);
    XCloseDisplay(recorder);
}

TEST_F(DrawingRunX11, ExceptionFromTheYieldLeavesTheButtonUp) {
    int moves = 0;
    EXPECT_THROW(run(VerticalLine(3, 0, 40),
                     [&] {
                         if (++moves == 3) {
                             throw std::runtime_error("window closed");
                         }
                     }),
                 std::runtime_error);
    XSync(pointer->display(), False);
    EXPECT_FALSE(session.leftButtonDown());
    const auto events = received();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), At(Kind::Release, 3, 3)) << testing::Describe(events);
}

}  // namespace
}  // namespace stylorex
