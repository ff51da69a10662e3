#include "tests/x11/xpaint_target.h"

#include "tests/x11/x11_session.h"

#include <optional>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace stylorex::testing {

namespace {

constexpr int kImageWidth = 400;
constexpr int kImageHeight = 300;
constexpr QRgb kCanvasColour = 0xFFFFFFFFU;

}  // namespace

XPaintTarget::XPaintTarget() : program_(QStringLiteral("xpaint")) {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) {
        error_ = QStringLiteral("no X display");
        return;
    }
    if (start() && findCanvas()) {
        checkPencil();
    }
}

XPaintTarget::~XPaintTarget() {
    if (display_ != nullptr) {
        XCloseDisplay(display_);
    }
}

bool XPaintTarget::start() {
    if (program_.folder().isEmpty()) {
        error_ = QStringLiteral("no temporary HOME for xpaint");
        return false;
    }
    // The tool box to the right, the canvas window at the top-left; operation 0 is the pencil.
    if (!program_.start({"xpaint", "-nowarn", "-canvas", "-size", "400x300", "-operation", "0",
                         "-geometry", "+800+0", "-xrm", "Canvas.geometry: +0+0"},
                        {"HOME=" + program_.folder().toStdString()})) {
        error_ = QStringLiteral("xpaint could not be started (scripts/install-deps installs it)");
        return false;
    }
    return true;
}

bool XPaintTarget::findCanvas() {
    QString error;
    const std::optional<QRect> canvas = WaitForBlankCanvas(
        display_, 0, QSize(kImageWidth, kImageHeight), kCanvasColour, 15000, 100, &error);
    if (!canvas) {
        error_ = error.isEmpty()
                     ? QStringLiteral("xpaint's 400 × 300 canvas was not found on the screen")
                     : error;
        return false;
    }
    canvas_ = *canvas;
    return true;
}

bool XPaintTarget::checkPencil() {
    const QPoint probe = canvas_.bottomRight();
    XTestFakeMotionEvent(display_, -1, probe.x(), probe.y(), CurrentTime);
    XSync(display_, False);
    Pause(100);
    XTestFakeButtonEvent(display_, 1, True, CurrentTime);
    XTestFakeButtonEvent(display_, 1, False, CurrentTime);
    XSync(display_, False);
    if (!Eventually([&] { return ScreenPixel(probe) != kCanvasColour; }, 5000, 10)) {
        error_ = QStringLiteral("xpaint's pencil left no ink");
        return false;
    }
    // A one-pixel pencil inks the pressed pixel alone.
    for (const QPoint near : {QPoint(-1, 0), QPoint(0, -1), QPoint(-1, -1)}) {
        if (ScreenPixel(probe + near) != kCanvasColour) {
            error_ = QStringLiteral("xpaint's pencil is wider than one pixel");
            return false;
        }
    }
    return true;
}

}  // namespace stylorex::testing
