// The X11 screen read-back against a paint program of the test's own: what it inked is what the
// screen shows.
#include "os/x11/screen_x11.h"
#include "tests/x11/painting_target.h"
#include "tests/x11/x11_session.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace stylorex {
namespace {

using testing::PaintingTarget;

TEST(ScreenX11, ShowsExactlyWhatTheTargetInked) {
    testing::X11Session session;
    const QRect area(100, 100, 120, 80);
    PaintingTarget target(PaintingTarget::Kind::JoinsEveryMotion, area);
    ASSERT_TRUE(target.mapped());
    QString error;
    auto screen = X11Screen::open(&error);
    ASSERT_NE(screen, nullptr) << error.toStdString();

    // A drag with a bend in it, injected as a user's hand would make it.
    session.moveTo(110, 110);
    XTestFakeButtonEvent(session.display(), 1, True, CurrentTime);
    for (const QPoint& p : {QPoint(150, 110), QPoint(180, 140), QPoint(180, 170)}) {
        XTestFakeMotionEvent(session.display(), -1, p.x(), p.y(), CurrentTime);
        XSync(session.display(), False);
        testing::Pause(5);
    }
    XTestFakeButtonEvent(session.display(), 1, False, CurrentTime);
    XSync(session.display(), False);
    ASSERT_TRUE(target.settle());

    const QImage shot = screen->grab(area);
    ASSERT_EQ(shot.size(), area.size());
    std::set<std::pair<int, int>> dark;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if (shot.pixel(x, y) == qRgb(0, 0, 0)) {
                dark.insert({area.x() + x, area.y() + y});
            } else {
                ASSERT_EQ(shot.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
            }
        }
    }
    ASSERT_FALSE(target.inked().empty());
    EXPECT_EQ(dark, target.inked());

    // After a larger rectangle, the smaller one reads the same as before.
    ASSERT_FALSE(screen->grab(area.adjusted(-40, -30, 40, 30)).isNull());
    EXPECT_EQ(screen->grab(area), shot);

    EXPECT_EQ(screen->pixel(QPoint(180, 140)), qRgb(0, 0, 0));
    EXPECT_EQ(screen->pixel(QPoint(105, 170)), qRgb(255, 255, 255));
    // Off the screen there is nothing to read, rather than a clipped or made-up answer.
    EXPECT_TRUE(screen->grab(QRect(session.screenWidth() - 10, 0, 20, 20)).isNull());
    EXPECT_FALSE(screen->pixel(QPoint(-1, 5)).has_value());
    EXPECT_FALSE(screen->pixel(QPoint(5, session.screenHeight())).has_value());
}

}  // namespace
}  // namespace stylorex
