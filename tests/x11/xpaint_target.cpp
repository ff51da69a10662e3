#include "tests/x11/xpaint_target.h"

#include "os/x11/screen_x11.h"
#include "tests/x11/mtpaint_target.h"
#include "tests/x11/x11_session.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

extern char** environ;

namespace stylorex::testing {

namespace {

constexpr int kImageWidth = 400;
constexpr int kImageHeight = 300;
constexpr QRgb kCanvasColour = 0xFFFFFFFFU;

std::optional<QRgb> PixelAt(QPoint at) {
    QString error;
    const auto screen = X11Screen::open(&error);
    return screen ? screen->pixel(at) : std::nullopt;
}

}  // namespace

XPaintTarget::XPaintTarget() {
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
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        if (!Eventually([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, 3000, 10)) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
        }
    }
    if (!home_.isEmpty()) {
        QDir(home_).removeRecursively();
    }
    if (display_ != nullptr) {
        XCloseDisplay(display_);
    }
}

bool XPaintTarget::start() {
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/stylorex-xpaint-XXXXXX"));
    if (!home.isValid()) {
        error_ = QStringLiteral("no temporary HOME for xpaint");
        return false;
    }
    home.setAutoRemove(false);
    home_ = home.path();
    std::vector<std::string> variables;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (std::strncmp(*variable, "HOME=", 5) != 0) {
            variables.emplace_back(*variable);
        }
    }
    variables.push_back("HOME=" + home_.toStdString());
    std::vector<char*> envp;
    for (std::string& variable : variables) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    // The tool box to the right, the canvas window at the top-left; operation 0 is the pencil.
    std::vector<std::string> arguments = {"xpaint",
                                          "-nowarn",
                                          "-canvas",
                                          "-size",
                                          "400x300",
                                          "-operation",
                                          "0",
                                          "-geometry",
                                          "+800+0",
                                          "-xrm",
                                          "Canvas.geometry: +0+0"};
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&pid_, argv[0], &quiet, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) {
        pid_ = -1;
        error_ = QStringLiteral("xpaint could not be started (scripts/install-deps installs it)");
        return false;
    }
    return true;
}

bool XPaintTarget::findCanvas() {
    QString error;
    const auto screen = X11Screen::open(&error);
    if (!screen) {
        error_ = error;
        return false;
    }
    const QRect screenArea(0, 0, DisplayWidth(display_, 0), DisplayHeight(display_, 0));
    const bool found = Eventually(
        [&] {
            const QImage shown = screen->grab(screenArea);
            if (shown.isNull()) {
                return false;
            }
            const std::optional<QPoint> at =
                FindBlankArea(shown, QSize(kImageWidth, kImageHeight), kCanvasColour);
            if (at) {
                canvas_ = QRect(*at, QSize(kImageWidth, kImageHeight));
            }
            return at.has_value();
        },
        15000, 100);
    if (!found) {
        error_ = QStringLiteral("xpaint's 400 × 300 canvas was not found on the screen");
        return false;
    }
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
    if (!Eventually([&] { return PixelAt(probe) != kCanvasColour; }, 5000, 10)) {
        error_ = QStringLiteral("xpaint's pencil left no ink");
        return false;
    }
    // A one-pixel pencil inks the pressed pixel alone.
    for (const QPoint near : {QPoint(-1, 0), QPoint(0, -1), QPoint(-1, -1)}) {
        if (PixelAt(probe + near) != kCanvasColour) {
            error_ = QStringLiteral("xpaint's pencil is wider than one pixel");
            return false;
        }
    }
    return true;
}

}  // namespace stylorex::testing
