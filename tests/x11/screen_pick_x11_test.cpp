// The program's own screen pick on a real X server, driven through XTest, at twice Qt's scale
// (this executable sets it before its application starts): the answers are the desktop pixels
// the pointer moves in, not Qt's logical ones.
#include "os/x11/screen_x11.h"
#include "os/x11/x11_pointer.h"
#include "tests/x11/program_window.h"
#include "tests/x11/window_manager.h"
#include "tests/x11/x11_session.h"
#include "ui/screen_pick_overlay.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <memory>
#include <optional>

namespace stylorex {
namespace {

using testing::X11Session;

class ScreenPickX11 : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(qApp->devicePixelRatio(), 2);
        screen = X11Screen::open(nullptr);
        ASSERT_NE(screen, nullptr);
        pointer = testing::OpenBackend();
        ASSERT_NE(pointer, nullptr);
        overlay = std::make_unique<ScreenPickOverlay>(screen.get(), pointer.get());
        session.moveTo(5, 5);
    }
    void TearDown() override {
        overlay.reset();
        session.restore();
    }

    // Opens a pick and waits until its veil covers the screen.
    void open() {
        result.reset();
        ASSERT_TRUE(overlay->pick([this](const PointPicker::Result& picked) { result = picked; }));
        ASSERT_EQ(overlay->veils().size(), 1u);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(overlay->veils().front()));
        QTest::qWait(50);
    }
    bool answered() {
        return QTest::qWaitFor([this] { return result.has_value(); });
    }

    X11Session session;
    std::unique_ptr<X11Screen> screen;
    std::unique_ptr<X11Pointer> pointer;
    std::unique_ptr<ScreenPickOverlay> overlay;
    std::optional<PointPicker::Result> result;
};

TEST_F(ScreenPickX11, AClickPicksThePixelAndADragTheRectangleInDesktopPixels) {
    // Odd coordinates fall inside a logical pixel: only desktop pixels name them.
    open();
    testing::ClickAt(session.display(), QPoint(301, 203));
    ASSERT_TRUE(answered());
    EXPECT_EQ(result->point, QPoint(301, 203));
    EXPECT_FALSE(result->area.has_value());
    EXPECT_TRUE(result->error.isEmpty());
    EXPECT_TRUE(overlay->veils().empty());

    open();
    Display* display = session.display();
    XTestFakeMotionEvent(display, -1, 401, 301, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XSync(display, False);
    // A hand holds still for as long as the press takes to arrive.
    ASSERT_TRUE(QTest::qWaitFor([] { return QGuiApplication::mouseButtons() & Qt::LeftButton; }));
    for (int step = 1; step <= 8; ++step) {
        QTest::qWait(10);
        XTestFakeMotionEvent(display, -1, 401 + 30 * step, 301 + 21 * step, CurrentTime);
        XSync(display, False);
    }
    XTestFakeMotionEvent(display, -1, 640, 471, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XSync(display, False);
    ASSERT_TRUE(answered());
    EXPECT_EQ(result->area, QRect(QPoint(401, 301), QPoint(640, 471)));
    EXPECT_EQ(result->point, QPoint(401, 301));
    EXPECT_FALSE(session.leftButtonDown());
}

TEST_F(ScreenPickX11, UnderOpenboxEscCancelsThoughAnotherWindowHasTheFocus) {
    testing::WindowManager manager;
    ASSERT_TRUE(manager.running());
    testing::FocusHolder holder(40, 40);
    ASSERT_TRUE(holder.takeFocus());

    open();
    session.tapEsc();
    ASSERT_TRUE(answered());
    EXPECT_FALSE(result->point.has_value());
    EXPECT_TRUE(result->error.isEmpty());
    EXPECT_TRUE(overlay->veils().empty());

    // The next pick goes on as the first.
    open();
    testing::ClickAt(session.display(), QPoint(77, 655));
    ASSERT_TRUE(answered());
    EXPECT_EQ(result->point, QPoint(77, 655));
}

}  // namespace
}  // namespace stylorex

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
