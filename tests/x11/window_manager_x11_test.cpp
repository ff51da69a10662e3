// Runs under a click-to-focus window manager (openbox), which takes every press into a client
// window through a passive grab of its own and replays it: the target must still receive
// exactly the strokes, through the engine and through the real program.
#include "engine/drawing_run.h"
#include "os/x11/x11_pointer.h"
#include "tests/x11/program_window.h"
#include "tests/x11/target_window.h"
#include "tests/x11/window_manager.h"
#include "tests/x11/x11_session.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace stylorex {
namespace {

using testing::kOriginX;
using testing::kOriginY;
using testing::ReceivedEvent;
using testing::TargetWindow;
using testing::X11Session;

constexpr int kTargetSide = 300;

class UnderWindowManager : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { manager = new testing::WindowManager; }
    static void TearDownTestSuite() {
        delete manager;
        manager = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(manager->running());
        ASSERT_TRUE(target.mapped());
        session.moveTo(5, 5);
        target.discard();
    }
    void TearDown() override { session.restore(); }

    std::vector<ReceivedEvent> received() {
        return testing::WithoutRepeatedMotions(target.collect());
    }

    static testing::WindowManager* manager;
    X11Session session;
    TargetWindow target{testing::kTargetX, testing::kTargetY, kTargetSide, kTargetSide,
                        TargetWindow::Placement::Managed};
};

testing::WindowManager* UnderWindowManager::manager = nullptr;

// The engine's run through the X11 backend into a target that another window keeps unfocused.
class RunUnderWindowManager : public UnderWindowManager, public ::testing::WithParamInterface<int> {
  protected:
    void expectExactStrokes(const QImage& picture) {
        testing::FocusHolder holder(900, 100);
        ASSERT_TRUE(holder.takeFocus());
        auto pointer = testing::OpenBackend();
        ASSERT_NE(pointer, nullptr);
        RunState runs;
        RunServices services{*pointer, {}, SystemClock()};
        RunSettings settings;
        settings.WaitTime = static_cast<std::int16_t>(GetParam());
        RunDrawing(picture, kOriginX, kOriginY, settings, services, runs);
        XSync(pointer->display(), False);
        const auto events = received();
        const auto expected = testing::ExpectedRunEvents(picture, kOriginX, kOriginY);
        EXPECT_EQ(events, expected);
        EXPECT_FALSE(session.leftButtonDown());
    }
};

TEST_P(RunUnderWindowManager, LineArtArrivesStrokeForStroke) {
    expectExactStrokes(testing::LineArt(200));
}

TEST_P(RunUnderWindowManager, IsolatedDotsArriveAsOnePressAndReleaseEach) {
    expectExactStrokes(testing::IsolatedDots(16, 8));
}

INSTANTIATE_TEST_SUITE_P(Waits, RunUnderWindowManager, ::testing::Values(0, 5),
                         [](const ::testing::TestParamInfo<int>& wait) {
                             return "Wait" + std::to_string(wait.param) + "ms";
                         });

// The real program as a user drives it: a picture pasted from another program, Ctrl+G over the
// target, Tab and Enter.
TEST_F(UnderWindowManager, TheProgramDrawsAPastedPictureExactly) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString program = dir.filePath(QStringLiteral("stylorex"));
    ASSERT_NO_FATAL_FAILURE(testing::CopyProgram(QStringLiteral(STYLOREX_PROGRAM), program));
    QFile ini(dir.filePath(QStringLiteral("stylorex.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    // The fixed wait's events, stroke for stroke: the target records them and paints nothing.
    ini.write("[Other]\r\nWaitTime=0\r\nFollowTarget=0\r\nCanvasHeight=200\r\nCanvasWidth=200\r\n");
    ini.close();

    const QImage picture = testing::LineArt(200);
    const QString file = dir.filePath(QStringLiteral("copied.png"));
    ASSERT_TRUE(picture.save(file, "PNG"));
    QProcess owner;
    QProcess stylorex;
    struct Stop {
        QProcess& a;
        QProcess& b;
        ~Stop() {
            testing::StopProgram(a);
            testing::StopProgram(b);
        }
    } stop{stylorex, owner};
    ASSERT_NO_FATAL_FAILURE(
        testing::CopyInAnotherProgram(owner, QStringLiteral(STYLOREX_CLIPBOARD_OWNER), file));

    ASSERT_NO_FATAL_FAILURE(testing::StartOnX11(stylorex, program));
    const auto window = testing::WaitForProgramWindow(session.display(), stylorex);
    ASSERT_TRUE(window.has_value()) << "the main window did not appear";
    auto title = [&] { return testing::WindowTitle(session.display(), *window); };
    testing::Pause(300);
    testing::GiveKeyboard(session.display(), *window);
    testing::Pause(300);

    testing::TypeKey(session.display(), XK_v, true);
    session.moveTo(kOriginX, kOriginY);
    testing::Pause(100);
    target.discard();
    testing::TypeKey(session.display(), XK_g, true);
    ASSERT_TRUE(testing::Eventually([&] { return title().contains(QStringLiteral("[座標取得]")); },
                                    5000, 20))
        << title().toStdString();
    ASSERT_TRUE(testing::TabAndEnterUntilRunStarts(session.display(), title))
        << "Tab and Enter never started a run";
    ASSERT_TRUE(testing::Eventually([&] { return title().contains(QStringLiteral("[処理完了]")); },
                                    30000, 20))
        << title().toStdString();

    const auto events =
        testing::StrokeEvents(received(), QRect(QPoint(kOriginX, kOriginY), picture.size()));
    EXPECT_EQ(events, testing::ExpectedRunEvents(picture, kOriginX, kOriginY));
    EXPECT_FALSE(session.leftButtonDown());
}

}  // namespace
}  // namespace stylorex

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
