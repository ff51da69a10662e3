// The main window on a headless sway, on Qt's Wayland platform, used as on a sway desktop: a
// picture pasted with Ctrl+V, the origin picked with Ctrl+G and a click through the real slurp
// (the first pick cancelled with Esc), then Tab to "処理" and Enter. Keys go through a virtual
// keyboard, the click through the program's own virtual pointer, and a client of the test's
// own receives the strokes.
#include "canvas/picture_box.h"
#include "os/session_choice.h"
#include "tests/support/named_child.h"
#include "tests/support/recording_dialogs.h"
#include "tests/wayland/headless_sway.h"
#include "tests/wayland/recording_client.h"
#include "tests/wayland/screen_events.h"
#include "tests/x11/program_window.h"
#include "ui/frm_graph.h"
#include "ui/wait_menu.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace stylorex {
namespace {

using testing::kOriginX;
using testing::kOriginY;
using testing::ReceivedEvent;

constexpr int kClientSide = 200;

// A rectangle's outline and a lone dot; pixel (0, 0) is white.
QImage Picture() {
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int x = 5; x <= 25; ++x) {
        picture.setPixel(x, 5, qRgb(0, 0, 0));
        picture.setPixel(x, 15, qRgb(0, 0, 0));
    }
    for (int y = 6; y < 15; ++y) {
        picture.setPixel(5, y, qRgb(0, 0, 0));
        picture.setPixel(25, y, qRgb(0, 0, 0));
    }
    picture.setPixel(33, 24, qRgb(0, 0, 0));
    return picture;
}

// A part of the program's window, which fills the output behind the floating target.
const QRect kProbe(700, 500, 500, 400);

// Whether `now` shows `before` under slurp's veil (its default, white at a quarter): every dark
// enough pixel lightened so, none left as it was.
bool Veiled(const QImage& before, const QImage& now) {
    int lightened = 0;
    for (int y = 0; y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x) {
            const int was = qGreen(before.pixel(x, y));
            if (was > 230) {
                continue;
            }
            const int veiledGreen = (was * 191 + 255 * 64) / 255;
            if (std::abs(qGreen(now.pixel(x, y)) - veiledGreen) > 2) {
                return false;
            }
            ++lightened;
        }
    }
    return lightened > 0;
}

TEST(MainWindowWayland, PastePickWithSlurpThenTabAndEnterDrawIntoTheTarget) {
    testing::HeadlessSway sway;
    ASSERT_TRUE(sway.running());
    testing::RecordingClient client(kClientSide, kClientSide);
    ASSERT_TRUE(client.alive()) << sway.log();

    int argc = 1;
    char name[] = "test_wayland_main_window";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"));
    QString error;
    SystemSession session = OpenSystemSession(&error);
    ASSERT_NE(session.pointer, nullptr) << error.toStdString();
    ASSERT_TRUE(session.pointer->stopWatch().canWatchEsc());

    QTemporaryDir dir;
    RecordingDialogs dialogs;
    frmGraph window(*session.pointer, &dialogs);
    window.setPointPicker(*session.pointPicker);
    window.setSettingsPath(dir.filePath(QStringLiteral("stylorex.ini")));
    window.load();
    window.waitMenu().choose(0);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QLineEdit* startX = NamedChild<QLineEdit>(window, "txtStartX");
    QLineEdit* startY = NamedChild<QLineEdit>(window, "txtStartY");
    QPushButton* start = NamedChild<QPushButton>(window, "cmdStart");
    const QString originBefore = startX->text();
    // A Wayland client cannot read the pointer: the live field says so.
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return NamedChild<QLabel>(window, "lblScreenPoint")->text() == QStringLiteral("--");
    }));

    QGuiApplication::clipboard()->setImage(Picture());
    testing::TypeKey("v", true);
    PictureBox& canvas = *NamedChild<PictureBox>(window, "picSRC");
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return canvas.persistentImage().pixel(5, 5) == qRgb(0, 0, 0);
    })) << "Ctrl+V pasted nothing";

    // The pick's overlay is up once its veil covers the screen; Esc there cancels it.
    ASSERT_NE(session.screen, nullptr);
    const QImage unveiled = session.screen->grab(kProbe);
    auto veiled = [&](bool expected) {
        return QTest::qWaitFor(
            [&] { return Veiled(unveiled, session.screen->grab(kProbe)) == expected; }, 5000);
    };
    testing::TypeKey("g", true);
    ASSERT_TRUE(veiled(true)) << "Ctrl+G started no pick";
    testing::TypeEscape();
    ASSERT_TRUE(veiled(false)) << "Esc did not end the pick";
    QTest::qWait(100);
    EXPECT_EQ(startX->text(), originBefore) << "a cancelled pick changed the origin";
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messageTexts().join(' ').toStdString();

    testing::TypeKey("g", true);
    ASSERT_TRUE(veiled(true)) << "Ctrl+G started no pick";
    session.pointer->moveTo(kOriginX - 20, kOriginY - 20);
    session.pointer->moveTo(kOriginX, kOriginY);
    session.pointer->pressLeft(kOriginX, kOriginY);
    session.pointer->releaseLeft(kOriginX, kOriginY);
    ASSERT_TRUE(QTest::qWaitFor([&] { return startX->text() != originBefore; }, 5000))
        << "the click picked nothing";
    EXPECT_EQ(startX->text(), QString::number(kOriginX));
    EXPECT_EQ(startY->text(), QString::number(kOriginY));
    EXPECT_EQ(window.caption(), QStringLiteral("Stylorex [座標取得]"));
    ASSERT_TRUE(veiled(false));

    // The window has the keyboard while a key comes: the virtual keyboard appears with each.
    startY->setFocus();
    for (int i = 0; i < 10 && window.focusWidget() != start; ++i) {
        const QWidget* before = window.focusWidget();
        testing::TypeKey("Tab");
        static_cast<void>(QTest::qWaitFor([&] { return window.focusWidget() != before; }, 500));
    }
    ASSERT_EQ(window.focusWidget(), start);
    client.forget();
    testing::TypeKey("Return");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.statusPanel(3).isEmpty(); }, 20000));
    EXPECT_EQ(window.caption(), QStringLiteral("Stylorex [処理完了]"));
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messageTexts().join(' ').toStdString();
    EXPECT_TRUE(dialogs.confirmations.empty()) << "asked although sway lets Esc stop the run";

    const std::vector<ReceivedEvent> received = testing::OnScreen(client.events());
    const std::vector<ReceivedEvent> expected =
        testing::ExpectedRunEvents(canvas.persistentImage(), kOriginX, kOriginY);
    EXPECT_TRUE(received == expected) << testing::FirstDifference(received, expected);
}

}  // namespace
}  // namespace stylorex
