#pragma once

#include "common/window_text.h"
#include "os/x11/x11_pointer.h"
#include "tests/support/named_child.h"
#include "tests/support/recording_dialogs.h"
#include "tests/x11/program_window.h"
#include "tests/x11/target_window.h"
#include "tests/x11/x11_session.h"
#include "ui/frm_graph.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

#include <X11/keysym.h>

namespace stylorex::testing {

// The main window in this process on the X server in DISPLAY, driven through the X11 backend,
// with a square target window of `targetSide` pixels at kTargetX, kTargetY to draw into. The
// window starts from a settings file in a folder of its own and holds the keyboard.
class MainWindowOnX11 : public ::testing::Test {
  protected:
    explicit MainWindowOnX11(int targetSide) : target{kTargetX, kTargetY, targetSide, targetSide} {}

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(target.mapped());
        pointer = OpenBackend();
        ASSERT_NE(pointer, nullptr);
        window = std::make_unique<frmGraph>(*pointer, &dialogs);
        window->setSettingsPath(dir.filePath(QStringLiteral("stylorex.ini")));
        window->load();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        // The runs draw at the screen's left, beside the target and beyond it; the window keeps to
        // the right edge, clear of them, wherever a first start put it.
        const QRect room = window->screen()->availableGeometry();
        const QPoint right(room.x() + room.width() - window->frameGeometry().width(), room.y());
        window->move(right);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->frameGeometry().topLeft() == right; }));
        // Without a window manager nobody gives the new window the keyboard; a user's click
        // on it would.
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    void TearDown() override {
        window.reset();
        session.restore();
    }

    Display* display() const { return session.display(); }

    // Puts the focus on `widget`; whether it arrived.
    bool focus(QWidget* widget) {
        widget->setFocus();
        return QTest::qWaitFor([&] { return QApplication::focusWidget() == widget; });
    }

    // Tab through XTest, at most 40 times, until `widget` has the focus, as a user walks the
    // controls.
    void tabUntilFocused(QWidget* widget) {
        for (int i = 0; i < 40 && QApplication::focusWidget() != widget; ++i) {
            TypeKey(display(), XK_Tab);
            QTest::qWait(30);
        }
    }

    QTemporaryDir dir;
    X11Session session;
    TargetWindow target;
    std::unique_ptr<X11Pointer> pointer;
    RecordingDialogs dialogs;
    std::unique_ptr<frmGraph> window;
};

}  // namespace stylorex::testing
