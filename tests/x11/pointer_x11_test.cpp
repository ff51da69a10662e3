// The X11 backend against a real X server: every call goes through XTest and XInput2.
#include "os/x11/x11_pointer.h"

#include "tests/x11/target_window.h"
#include "tests/x11/x11_session.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>

namespace stylorex {
namespace {

using testing::OpenBackend;
using testing::ReceivedEvent;
using testing::TargetWindow;
using testing::X11Session;

TEST(X11Pointer, MovesThePointerAndReadsItBack) {
    X11Session session;
    auto pointer = OpenBackend();
    ASSERT_NE(pointer, nullptr);
    pointer->moveTo(321, 234);
    EXPECT_EQ(pointer->position(), QPoint(321, 234));
    Window root = 0;
    Window child = 0;
    int x = 0;
    int y = 0;
    int wx = 0;
    int wy = 0;
    unsigned mask = 0;
    XQueryPointer(session.display(), DefaultRootWindow(session.display()), &root, &child, &x, &y,
                  &wx, &wy, &mask);
    EXPECT_EQ(x, 321);
    EXPECT_EQ(y, 234);
    pointer->moveTo(7, 9);
    EXPECT_EQ(pointer->position(), QPoint(7, 9));
}

TEST(X11Pointer, ReportsTheScreenSize) {
    X11Session session;
    auto pointer = OpenBackend();
    ASSERT_NE(pointer, nullptr);
    EXPECT_EQ(pointer->primaryScreenSize(), QSize(session.screenWidth(), session.screenHeight()));
}

TEST(X11Pointer, PressAndReleaseReachTheWindowUnderThePointer) {
    X11Session session;
    TargetWindow target(100, 100, 200, 200);
    ASSERT_TRUE(target.mapped());
    auto pointer = OpenBackend();
    ASSERT_NE(pointer, nullptr);
    pointer->moveTo(150, 160);
    pointer->pressLeft(150, 160);
    XSync(pointer->display(), False);
    EXPECT_TRUE(session.leftButtonDown());
    pointer->moveTo(151, 160);
    pointer->releaseLeft(151, 160);
    XSync(pointer->display(), False);
    EXPECT_FALSE(session.leftButtonDown());
    const auto events = testing::WithoutRepeatedMotions(target.collect());
    EXPECT_EQ(events, (std::vector<ReceivedEvent>{{ReceivedEvent::Kind::Motion, 150, 160},
                                                  {ReceivedEvent::Kind::Press, 150, 160},
                                                  {ReceivedEvent::Kind::Motion, 151, 160},
                                                  {ReceivedEvent::Kind::Release, 151, 160}}))
        << testing::Describe(events);
}

TEST(X11Pointer, EscTapBetweenTwoQueriesIsLatchedOnce) {
    X11Session session;
    auto pointer = OpenBackend();
    ASSERT_NE(pointer, nullptr);
    ASSERT_TRUE(pointer->hasRawKeyLatch()) << "the server lacks XInput2 2.1";
    EXPECT_FALSE(pointer->stopWatch().escPressed());
    session.tapEsc();  // down and up again before the next query
    EXPECT_TRUE(testing::Eventually([&] { return pointer->stopWatch().escPressed(); }));
    EXPECT_FALSE(pointer->stopWatch().escPressed());
}

TEST(X11Pointer, EscHeldDownAnswersEveryQueryUntilReleased) {
    X11Session session;
    auto pointer = OpenBackend();
    ASSERT_NE(pointer, nullptr);
    session.pressEsc();
    EXPECT_TRUE(testing::Eventually([&] { return pointer->stopWatch().escPressed(); }));
    EXPECT_TRUE(pointer->stopWatch().escPressed());
    EXPECT_TRUE(pointer->stopWatch().escPressed());
    session.releaseEsc();
    EXPECT_TRUE(testing::Eventually([&] { return !pointer->stopWatch().escPressed(); }));
    EXPECT_FALSE(pointer->stopWatch().escPressed());
}

TEST(X11Pointer, EscAlreadyDownWhenOpenedCounts) {
    X11Session session;
    session.pressEsc();
    auto pointer = OpenBackend();
    ASSERT_NE(pointer, nullptr);
    EXPECT_TRUE(
        pointer->stopWatch().escPressed());  // from the key map read at opening, no event needed
    session.releaseEsc();
    EXPECT_TRUE(testing::Eventually([&] { return !pointer->stopWatch().escPressed(); }));
}

TEST(X11Pointer, ClosingTheBackendReleasesAButtonItHolds) {
    X11Session session;
    {
        auto pointer = OpenBackend();
        ASSERT_NE(pointer, nullptr);
        pointer->pressLeft(0, 0);
        XSync(pointer->display(), False);
        ASSERT_TRUE(session.leftButtonDown());
    }
    EXPECT_FALSE(session.leftButtonDown());
}

TEST(X11Pointer, AnotherClientCanReleaseAButtonLeftDown) {
    // What a watchdog does after the client that pressed the button has died.
    X11Session session;
    X11Session watchdog;
    session.pressLeftButton();
    ASSERT_TRUE(watchdog.leftButtonDown());
    EXPECT_TRUE(ReleaseLeftButtonIfDown(watchdog.display()));
    EXPECT_FALSE(session.leftButtonDown());
    EXPECT_FALSE(ReleaseLeftButtonIfDown(watchdog.display()));
}

}  // namespace
}  // namespace stylorex
