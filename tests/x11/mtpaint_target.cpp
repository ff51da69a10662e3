#include "tests/x11/mtpaint_target.h"

#include "tests/x11/x11_session.h"

#include <QFile>

#include <optional>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace stylorex::testing {

namespace {

constexpr int kImageWidth = 640;
constexpr int kImageHeight = 480;
// Large enough to show the whole image at 100 % beside the palette and below the toolbars.
constexpr int kWindowWidth = 900;
constexpr int kWindowHeight = 700;
constexpr QRgb kCanvasColour = 0xFF000000U;  // palette entry 0 of a new image

// The child of the root window that holds `window` (its window manager's frame, or itself).
Window TopLevelOf(Display* display, Window window) {
    for (;;) {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) {
            return 0;
        }
        if (children != nullptr) {
            XFree(children);
        }
        if (parent == root || parent == 0) {
            return window;
        }
        window = parent;
    }
}

void TapKey(Display* display, KeySym key, bool control = false) {
    const KeyCode controlCode = XKeysymToKeycode(display, XK_Control_L);
    if (control) {
        XTestFakeKeyEvent(display, controlCode, True, CurrentTime);
    }
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), True, CurrentTime);
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), False, CurrentTime);
    if (control) {
        XTestFakeKeyEvent(display, controlCode, False, CurrentTime);
    }
    XSync(display, False);
}

}  // namespace

MtPaintTarget::MtPaintTarget(int windowX, int windowY) : program_(QStringLiteral("mtpaint")) {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) {
        error_ = QStringLiteral("no X display");
        return;
    }
    if (start(windowX, windowY) && findCanvas()) {
        checkBrush();
    }
}

MtPaintTarget::~MtPaintTarget() {
    if (display_ != nullptr) {
        XCloseDisplay(display_);
    }
}

bool MtPaintTarget::start(int windowX, int windowY) {
    const QString home = program_.folder();
    if (home.isEmpty()) {
        error_ = QStringLiteral("no temporary HOME for mtPaint");
        return false;
    }
    // Where its windows go and what a new image is. Its tool window of settings goes beside the
    // main window, off the canvas.
    QFile settings(home + QStringLiteral("/.mtpaint"));
    if (!settings.open(QIODevice::WriteOnly)) {
        error_ = QStringLiteral("cannot write mtPaint's settings");
        return false;
    }
    settings.write(QStringLiteral("window_x = %1\nwindow_y = %2\nwindow_w = %3\nwindow_h = %4\n"
                                  "toolbar_settings_x = %5\ntoolbar_settings_y = %2\n"
                                  "lastnewWidth = %6\nlastnewHeight = %7\n")
                       .arg(windowX)
                       .arg(windowY)
                       .arg(kWindowWidth)
                       .arg(kWindowHeight)
                       .arg(windowX + kWindowWidth + 20)
                       .arg(kImageWidth)
                       .arg(kImageHeight)
                       .toUtf8());
    settings.close();
    // No accessibility bus to wait for.
    if (!program_.start({"mtpaint"}, {"HOME=" + home.toStdString(), "NO_AT_BRIDGE=1"})) {
        error_ = QStringLiteral("mtpaint could not be started (scripts/install-deps installs it)");
        return false;
    }
    // Its main window, not its tool windows.
    if (!Eventually(
            [&] {
                window_ = FindViewableWindow(display_, [&](unsigned long window) {
                    return WindowPid(display_, window) == program_.pid() &&
                           WindowTitle(display_, window).startsWith(QStringLiteral("mtPaint"));
                });
                return window_ != 0;
            },
            15000, 20)) {
        error_ = QStringLiteral("mtPaint's window did not appear");
        return false;
    }
    return true;
}

bool MtPaintTarget::findCanvas() {
    QString error;
    const std::optional<QRect> canvas = WaitForBlankCanvas(
        display_, window_, QSize(kImageWidth, kImageHeight), kCanvasColour, 10000, 50, &error);
    if (!canvas) {
        error_ = error.isEmpty()
                     ? QStringLiteral("mtPaint's 640 × 480 canvas was not found on the screen")
                     : error;
        return false;
    }
    canvas_ = *canvas;
    // Another window that looks the same could lie on top of ours.
    int x = 0;
    int y = 0;
    Window shown = 0;
    XTranslateCoordinates(display_, DefaultRootWindow(display_), DefaultRootWindow(display_),
                          canvas_.center().x(), canvas_.center().y(), &x, &y, &shown);
    if (shown != TopLevelOf(display_, window_)) {
        error_ = QStringLiteral("another window covers mtPaint's canvas");
        return false;
    }
    return true;
}

bool MtPaintTarget::checkBrush() {
    const QPoint probe = canvas_.bottomRight();
    XTestFakeMotionEvent(display_, -1, probe.x(), probe.y(), CurrentTime);
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    XSync(display_, False);
    Pause(100);
    TapKey(display_, XK_F4);  // the paint tool
    Pause(100);
    XTestFakeButtonEvent(display_, 1, True, CurrentTime);
    XTestFakeButtonEvent(display_, 1, False, CurrentTime);
    XSync(display_, False);
    std::optional<QRgb> inked;
    if (!Eventually(
            [&] {
                inked = ScreenPixel(probe);
                return inked && *inked != kCanvasColour;
            },
            5000, 10)) {
        error_ = QStringLiteral("mtPaint's paint tool left no ink");
        return false;
    }
    ink_ = *inked;
    // A 1-pixel brush inks the pressed pixel alone.
    for (const QPoint near : {QPoint(-1, 0), QPoint(0, -1), QPoint(-1, -1)}) {
        if (ScreenPixel(probe + near) != kCanvasColour) {
            error_ = QStringLiteral("mtPaint's brush is wider than one pixel");
            return false;
        }
    }
    TapKey(display_, XK_z, true);
    if (!Eventually([&] { return ScreenPixel(probe) == kCanvasColour; }, 5000, 10)) {
        error_ = QStringLiteral("mtPaint did not undo the probe");
        return false;
    }
    return true;
}

}  // namespace stylorex::testing
