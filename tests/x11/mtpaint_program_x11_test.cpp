// The real program as a new user starts it (no settings file: every setting at its default)
// drawing into the real mtPaint: through `stylorex draw`, whose exit code says the result was
// checked exact, and through the window (a pasted picture, Ctrl+G, Tab and Enter) under openbox,
// into mtPaint and xpaint.

#include "bench/acceptance_pictures.h"
#include "tests/x11/mtpaint_target.h"
#include "tests/x11/painting_target.h"
#include "tests/x11/program_window.h"
#include "tests/x11/window_manager.h"
#include "tests/x11/x11_session.h"
#include "tests/x11/xpaint_target.h"

#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace stylorex {
namespace {

using testing::MtPaintTarget;
using testing::Pause;
using Pixels = testing::PixelSet;

class MtPaintProgramX11 : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        program = dir.filePath(QStringLiteral("stylorex"));
        ASSERT_NO_FATAL_FAILURE(testing::CopyProgram(QStringLiteral(STYLOREX_PROGRAM), program));
        session.moveTo(1270, 1010);
    }

    void TearDown() override {
        testing::StopProgram(stylorex);
        testing::StopProgram(clipboardOwner);
        session.restore();
    }

    Display* display() const { return session.display(); }

    QImage screenAt(const QRect& area) {
        return testing::ScreenPixels(display(), area.x(), area.y(), area.width(), area.height());
    }

    // What changed on the screen in `area` since `before`, once the screen has stood still, as
    // screen pixels; beside the line pixels of `picture` placed at the area's corner.
    void expectExactly(const QImage& picture, const QRect& area, const QImage& before) {
        QImage after = screenAt(area);
        testing::Eventually(
            [&] {
                QImage again = screenAt(area);
                std::swap(again, after);
                return again == after;
            },
            3000, 100);
        Pixels changed;
        for (int y = 0; y < area.height(); ++y) {
            for (int x = 0; x < area.width(); ++x) {
                if (before.pixel(x, y) != after.pixel(x, y)) {
                    changed.insert({area.x() + x, area.y() + y});
                }
            }
        }
        Pixels expected;
        for (const auto& [x, y] : testing::DarkPixels(picture)) {
            expected.insert({area.x() + x, area.y() + y});
        }
        EXPECT_EQ(testing::Minus(expected, changed).size(), 0U) << "line pixels missing";
        EXPECT_EQ(testing::Minus(changed, expected).size(), 0U) << "pixels inked beside the lines";
        EXPECT_FALSE(session.leftButtonDown());
    }

    QTemporaryDir dir;
    QString program;
    testing::X11Session session;
    QProcess stylorex;
    QProcess clipboardOwner;
};

TEST_F(MtPaintProgramX11, TheDrawCommandWithDefaultSettingsDrawsExactlyAndExitsZero) {
    for (const AcceptancePicture kind :
         {AcceptancePicture::LineArt, AcceptancePicture::Text, AcceptancePicture::Dots}) {
        SCOPED_TRACE(AcceptancePictureName(kind).toStdString());
        MtPaintTarget mtpaint;
        ASSERT_TRUE(mtpaint.ready()) << mtpaint.error().toStdString();
        const QImage picture = MakeAcceptancePicture(kind);
        const QString file = dir.filePath(QStringLiteral("picture.png"));
        ASSERT_TRUE(picture.save(file, "PNG"));
        const QRect area(mtpaint.canvas().topLeft() + QPoint(20, 20), picture.size());
        const QImage before = screenAt(area);

        stylorex.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        stylorex.start(program, {QStringLiteral("draw"), file, QStringLiteral("--at"),
                                 QStringLiteral("%1,%2").arg(area.x()).arg(area.y()),
                                 QStringLiteral("--json")});
        ASSERT_TRUE(stylorex.waitForFinished(60000));
        EXPECT_EQ(stylorex.exitCode(), 0) << "drawn, but not checked exact";
        const QJsonObject result =
            QJsonDocument::fromJson(stylorex.readAllStandardOutput()).object();
        EXPECT_TRUE(result.value(QStringLiteral("exact")).toBool());
        EXPECT_TRUE(result.value(QStringLiteral("follow")).toBool());
        const QJsonObject check = result.value(QStringLiteral("check")).toObject();
        EXPECT_EQ(check.value(QStringLiteral("missing")).toInt(-1), 0);
        EXPECT_EQ(check.value(QStringLiteral("extra")).toInt(-1), 0);
        expectExactly(picture, area, before);
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("stylorex.ini"))))
            << "the command wrote a settings file";
    }
}

// A key as a user types it: held for a while, then let go.
void TypeKeyAsAUserDoes(Display* display, unsigned long keysym) {
    const unsigned code = XKeysymToKeycode(display, keysym);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XSync(display, False);
    Pause(90);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    XSync(display, False);
}

// The window's paste, Ctrl+G over the target's canvas, then Tab and Enter until a run starts,
// every key typed as a user types it, under openbox (click to focus, as on users' desktops):
// into the real mtPaint and the real xpaint, each with a new program and no settings file.
TEST_F(MtPaintProgramX11, APastedPictureDrawnThroughTheWindowLandsExactly) {
    testing::WindowManager manager;
    ASSERT_TRUE(manager.running());
    const QImage picture = testing::LineArt(200);
    const QString file = dir.filePath(QStringLiteral("copied.png"));
    ASSERT_TRUE(picture.save(file, "PNG"));
    ASSERT_NO_FATAL_FAILURE(testing::CopyInAnotherProgram(
        clipboardOwner, QStringLiteral(STYLOREX_CLIPBOARD_OWNER), file));

    const auto drawInto = [&](const QRect& canvas) {
        QFile::remove(dir.filePath(QStringLiteral("stylorex.ini")));
        ASSERT_NO_FATAL_FAILURE(testing::StartOnX11(stylorex, program));
        const std::optional<unsigned long> window =
            testing::WaitForProgramWindow(display(), stylorex);
        ASSERT_TRUE(window.has_value()) << "the main window did not appear";
        const auto title = [&] { return testing::WindowTitle(display(), *window); };
        const auto waitForTitle = [&](const QString& part, int ms) {
            return testing::Eventually([&] { return title().contains(part); }, ms, 20);
        };
        Pause(500);
        testing::GiveKeyboard(display(), *window);
        Pause(300);
        testing::TypeKey(display(), XK_v, true);
        Pause(500);

        const QRect area(canvas.topLeft() + QPoint(20, 20), picture.size());
        const QImage before = screenAt(area);
        session.moveTo(area.x(), area.y());
        Pause(100);
        testing::TypeKey(display(), XK_g, true);
        ASSERT_TRUE(waitForTitle(QStringLiteral("[座標取得]"), 5000)) << title().toStdString();
        bool started = false;
        for (int tabs = 0; tabs < 40 && !started; ++tabs) {
            TypeKeyAsAUserDoes(display(), XK_Tab);
            TypeKeyAsAUserDoes(display(), XK_Return);
            started = testing::Eventually([&] { return testing::TitleShowsRun(title()); }, 300, 20);
        }
        ASSERT_TRUE(started) << "Tab and Enter never started a run";
        ASSERT_TRUE(waitForTitle(QStringLiteral("[処理完了]"), 60000)) << title().toStdString();
        expectExactly(picture, area, before);
        testing::StopProgram(stylorex);
    };
    {
        SCOPED_TRACE("mtPaint");
        MtPaintTarget mtpaint;
        ASSERT_TRUE(mtpaint.ready()) << mtpaint.error().toStdString();
        drawInto(mtpaint.canvas());
    }
    {
        SCOPED_TRACE("xpaint");
        testing::XPaintTarget xpaint;
        ASSERT_TRUE(xpaint.ready()) << xpaint.error().toStdString();
        drawInto(xpaint.canvas());
    }
}

}  // namespace
}  // namespace stylorex
