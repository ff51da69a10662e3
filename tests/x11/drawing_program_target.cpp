#include "tests/x11/drawing_program_target.h"

#include <QDir>
#include <QFile>

#include <optional>

#include <X11/Xlib.h>

namespace stylorex::testing {

namespace {

constexpr int kImageWidth = 400;
constexpr int kImageHeight = 300;
constexpr QRgb kCanvasColour = 0xFFFFFFFFU;

// GLib's keyfile settings: a new image's size, the pencil's width and colour. The version marks
// the program as run before, so that no notes on what is new cover the window.
constexpr char kSettings[] =
    "[com/github/maoschanz/drawing]\n"
    "default-width=400\n"
    "default-height=300\n"
    "last-version='1.0.2'\n"
    "last-active-tool='pencil'\n"
    "\n"
    "[com/github/maoschanz/drawing/tools-options]\n"
    "last-size=1\n"
    "last-left-rgba=['0.0', '0.0', '0.0', '1.0']\n"
    "use-antialiasing=true\n";

}  // namespace

DrawingProgramTarget::DrawingProgramTarget() : program_(QStringLiteral("drawing")) {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) {
        error_ = QStringLiteral("no X display");
        return;
    }
    if (!start()) {
        return;
    }
    QString error;
    const std::optional<QRect> canvas = WaitForBlankCanvas(
        display_, 0, QSize(kImageWidth, kImageHeight), kCanvasColour, 20000, 100, &error);
    if (!canvas) {
        error_ = error.isEmpty()
                     ? QStringLiteral("drawing's 400 × 300 canvas was not found on the screen")
                     : error;
        return;
    }
    canvas_ = *canvas;
}

DrawingProgramTarget::~DrawingProgramTarget() {
    if (display_ != nullptr) {
        XCloseDisplay(display_);
    }
}

bool DrawingProgramTarget::start() {
    const QString home = program_.folder();
    const QString settings = home + QStringLiteral("/.config/glib-2.0/settings");
    QFile keyfile(settings + QStringLiteral("/keyfile"));
    if (home.isEmpty() || !QDir().mkpath(settings) || !keyfile.open(QIODevice::WriteOnly) ||
        keyfile.write(kSettings) != static_cast<qint64>(sizeof(kSettings) - 1)) {
        error_ = QStringLiteral("no temporary HOME with settings for drawing");
        return false;
    }
    keyfile.close();
    // A session bus of its own (a GTK application asks for one), ended with it.
    if (!program_.start(
            {"dbus-run-session", "--", "drawing"},
            {"HOME=" + home.toStdString(), "XDG_CONFIG_HOME=" + home.toStdString() + "/.config",
             "GSETTINGS_BACKEND=keyfile", "NO_AT_BRIDGE=1"},
            true)) {
        error_ = QStringLiteral("drawing could not be started (scripts/install-deps installs it)");
        return false;
    }
    return true;
}

}  // namespace stylorex::testing
