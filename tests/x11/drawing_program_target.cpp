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
    "last-size=%1\n"
    "last-left-rgba=['0.0', '0.0', '0.0', '1.0']\n"
    "use-antialiasing=true\n";

// The session bus's own settings: no service is started on demand (desktop portals would leave
// a mount point behind that the temporary HOME cannot lose), and anyone may talk to anyone.
constexpr char kBus[] =
    "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
    " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
    "<busconfig>\n"
    "  <type>session</type>\n"
    "  <listen>unix:tmpdir=/tmp</listen>\n"
    "  <policy context=\"default\">\n"
    "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
    "    <allow eavesdrop=\"true\"/>\n"
    "    <allow own=\"*\"/>\n"
    "  </policy>\n"
    "</busconfig>\n";

// Writes `text` to `path`; whether all of it was.
bool WriteFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

}  // namespace

DrawingProgramTarget::DrawingProgramTarget(int pencil) : program_(QStringLiteral("drawing")) {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) {
        error_ = QStringLiteral("no X display");
        return;
    }
    if (!start(pencil)) {
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

bool DrawingProgramTarget::start(int pencil) {
    const QString home = program_.folder();
    const QString settings = home + QStringLiteral("/.config/glib-2.0/settings");
    const QString bus = home + QStringLiteral("/session-bus.conf");
    if (home.isEmpty() || !QDir().mkpath(settings) ||
        !WriteFile(settings + QStringLiteral("/keyfile"),
                   QString::fromLatin1(kSettings).arg(pencil).toLatin1()) ||
        !WriteFile(bus, QByteArray(kBus))) {
        error_ = QStringLiteral("no temporary HOME with settings for drawing");
        return false;
    }
    // A session bus of its own (a GTK application asks for one), ended with it.
    if (!program_.start(
            {"dbus-run-session", "--config-file=" + bus.toStdString(), "--", "drawing"},
            {"HOME=" + home.toStdString(), "XDG_CONFIG_HOME=" + home.toStdString() + "/.config",
             "GSETTINGS_BACKEND=keyfile", "NO_AT_BRIDGE=1"},
            true)) {
        error_ = QStringLiteral("drawing could not be started (scripts/install-deps installs it)");
        return false;
    }
    return true;
}

}  // namespace stylorex::testing
