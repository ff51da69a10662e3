// The path a user takes with the real program: a picture copied in another program, pasted into
// Stylorex with Ctrl+V, drawn into a window with Ctrl+G, Tab and Enter; then kept in pattern slot
// 3, the canvas cleared, the pattern loaded back and drawn again. Every key and click goes
// through XTest to the program's window.
#include "tests/x11/program_window.h"
#include "tests/x11/target_window.h"
#include "tests/x11/x11_session.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace stylorex {
namespace {

using testing::kOriginX;
using testing::kOriginY;
using testing::Pause;
using testing::ReceivedEvent;
using testing::TargetWindow;
using testing::X11Session;

constexpr int kCanvasSide = 200;

// Client positions of the bottom panel's controls, as the window lays them out.
constexpr QPoint kFirstPatternSlot(260, 48);  // inside item "1" of ListFixed
constexpr QPoint kStoreButton(336, 50);       // "登録"
constexpr QPoint kLoadButton(336, 74);        // "ロード"

// Polls a condition on another process's window at the pace these tests have always used.
bool waitFor(const std::function<bool()>& done, int ms) {
    return testing::Eventually(done, ms, 20);
}

QImage MakeBlank() {
    QImage blank(kCanvasSide, kCanvasSide, QImage::Format_RGB32);
    blank.fill(Qt::white);
    return blank;
}

class ClipboardPatternProgramX11 : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(target.mapped());
        program = dir.filePath(QStringLiteral("stylorex"));
        ASSERT_NO_FATAL_FAILURE(testing::CopyProgram(QStringLiteral(STYLOREX_PROGRAM), program));
        QFile ini(dir.filePath(QStringLiteral("stylorex.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        // The fixed wait's events, stroke for stroke: the target records them and paints nothing.
        ini.write(
            "[PickUpPattern]\r\nPattern=1\r\nBlackUpper=80\r\n[Other]\r\nWaitTime=0\r\n"
            "FollowTarget=0\r\nCanvasHeight=200\r\nCanvasWidth=200\r\n");
        ini.close();
        session.moveTo(5, 5);
        target.discard();
    }

    void TearDown() override {
        testing::StopProgram(stylorexProcess);
        testing::StopProgram(clipboardOwner);
        session.restore();
    }

    Display* display() const { return session.display(); }

    // Another program puts the picture on the clipboard and keeps serving it.
    void copyInAnotherProgram(const QImage& picture) {
        const QString file = dir.filePath(QStringLiteral("copied.png"));
        ASSERT_TRUE(picture.save(file, "PNG"));
        ASSERT_NO_FATAL_FAILURE(testing::CopyInAnotherProgram(
            clipboardOwner, QStringLiteral(STYLOREX_CLIPBOARD_OWNER), file));
    }

    void startProgram() {
        ASSERT_NO_FATAL_FAILURE(testing::StartOnX11(stylorexProcess, program));
        programWindow = testing::WaitForProgramWindow(display(), stylorexProcess);
        ASSERT_TRUE(programWindow.has_value()) << "the main window did not appear";
        // A first start places the window beside the target once it is shown.
        ASSERT_TRUE(waitFor(
            [&] {
                geometry = testing::ReadProgramGeometry(display(), *programWindow);
                return geometry &&
                       !QRect(geometry->origin, QSize(geometry->width, geometry->height))
                            .intersects(QRect(testing::kTargetX, testing::kTargetY, 300, 300));
            },
            5000));
        testing::GiveKeyboard(display(), *programWindow);
        Pause(300);
    }

    QString title() { return testing::WindowTitle(display(), *programWindow); }

    bool waitForTitle(const QString& part, int ms = 10000) {
        return waitFor([&] { return title().contains(part); }, ms);
    }

    // The canvas as the screen shows it: picSRC sits at the corner of the central area.
    QImage canvasOnScreen() {
        const QPoint corner = geometry->central(0, 0);
        return testing::ScreenPixels(display(), corner.x(), corner.y(), kCanvasSide, kCanvasSide);
    }

    bool canvasShows(const QImage& picture, int ms = 10000) {
        const auto expected = testing::DarkPixels(picture);
        return waitFor([&] { return testing::DarkPixels(canvasOnScreen()) == expected; }, ms);
    }

    void click(QPoint bottomPanelPoint) {
        testing::ClickAt(display(),
                         geometry->bottomPanel(bottomPanelPoint.x(), bottomPanelPoint.y()));
        Pause(50);
    }

    // Ctrl+G with the pointer on the origin, then Tab and Enter until the run starts, as the
    // instructions on the window say; returns what the target received once the run is done.
    std::vector<ReceivedEvent> drawIntoTarget() {
        session.moveTo(kOriginX, kOriginY);
        Pause(50);
        target.discard();
        testing::TypeKey(display(), XK_g, true);
        EXPECT_TRUE(waitForTitle(QStringLiteral("[座標取得]"), 5000)) << title().toStdString();
        EXPECT_TRUE(testing::TabAndEnterUntilRunStarts(display(), [&] { return title(); }))
            << "Tab and Enter never started a run";
        EXPECT_TRUE(waitForTitle(QStringLiteral("[処理完了]"), 30000)) << title().toStdString();
        return testing::StrokeEvents(testing::WithoutRepeatedMotions(target.collect()),
                                     QRect(kOriginX, kOriginY, kCanvasSide, kCanvasSide));
    }

    QTemporaryDir dir;
    QString program;
    X11Session session;
    TargetWindow target{testing::kTargetX, testing::kTargetY, 300, 300};
    QProcess clipboardOwner;
    QProcess stylorexProcess;
    std::optional<unsigned long> programWindow;
    std::optional<testing::ProgramGeometry> geometry;
};

TEST_F(ClipboardPatternProgramX11, APastedPictureAndItsStoredPatternDrawTheSameStrokes) {
    const QImage picture = testing::LineArt(kCanvasSide);
    const auto expected = testing::ExpectedRunEvents(picture, kOriginX, kOriginY);
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(testing::DrawnPixels(expected, kOriginX, kOriginY), testing::DarkPixels(picture));

    copyInAnotherProgram(picture);
    startProgram();
    ASSERT_TRUE(canvasShows(MakeBlank())) << "the canvas did not start blank";

    // Ctrl+V: the copied picture becomes the canvas's background.
    testing::TypeKey(display(), XK_v, true);
    ASSERT_TRUE(canvasShows(picture)) << "Ctrl+V did not show the copied picture";

    const auto firstRun = drawIntoTarget();
    EXPECT_EQ(testing::DrawnPixels(firstRun, kOriginX, kOriginY), testing::DarkPixels(picture));
    EXPECT_EQ(firstRun, expected) << testing::Describe(firstRun);
    EXPECT_FALSE(session.leftButtonDown());

    // Slot "3" of ListFixed: a click on "1", then Down twice; then "登録".
    click(kFirstPatternSlot);
    testing::TypeKey(display(), XK_Down);
    testing::TypeKey(display(), XK_Down);
    Pause(100);
    click(kStoreButton);
    ASSERT_TRUE(waitForTitle(QStringLiteral("[定型登録完了]"))) << title().toStdString();
    const QFileInfo stored(dir.filePath(QStringLiteral(" 3.jpg")));
    EXPECT_TRUE(stored.isFile()) << "no \" 3.jpg\" beside the program";
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral(" 1.jpg"))));
    const QImage storedPicture(stored.filePath());
    EXPECT_EQ(storedPicture.size(), QSize(kCanvasSide, kCanvasSide));
    EXPECT_EQ(testing::DarkPixels(storedPicture), testing::DarkPixels(picture))
        << "the stored JPEG lost or gained line pixels";

    // Shift+Del clears the canvas.
    testing::TypeKey(display(), XK_Delete, false, true);
    ASSERT_TRUE(canvasShows(MakeBlank())) << "Shift+Del did not clear the canvas";

    // "ロード" with slot 3 still selected brings the pattern back.
    click(kLoadButton);
    ASSERT_TRUE(waitForTitle(QStringLiteral("[定型ロード完了]"))) << title().toStdString();
    ASSERT_TRUE(canvasShows(picture)) << "the loaded pattern is not on the canvas";

    const auto secondRun = drawIntoTarget();
    EXPECT_EQ(testing::DrawnPixels(secondRun, kOriginX, kOriginY), testing::DarkPixels(picture));
    EXPECT_EQ(secondRun, expected) << testing::Describe(secondRun);
    EXPECT_FALSE(session.leftButtonDown());

    stylorexProcess.terminate();
    ASSERT_TRUE(stylorexProcess.waitForFinished(10000));
    EXPECT_EQ(stylorexProcess.exitCode(), 0);
}

}  // namespace
}  // namespace stylorex

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
