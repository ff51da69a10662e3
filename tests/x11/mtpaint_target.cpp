#include "tests/x11/mtpaint_target.h"

#include "os/x11/screen_x11.h"
#include "tests/x11/x11_session.h"

#include <QDir>
#include <QFile>
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

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

extern char** environ;

namespace stylorex::testing {

std::optional<QPoint> FindBlankArea(const QImage& shown, QSize size, QRgb colour) {
    // A run of exactly the width in the colour, from `column` on.
    auto runAt = [&](int row, int column) {
        const auto* line = reinterpret_cast<const QRgb*>(shown.constScanLine(row));
        for (int i = column; i < column + size.width(); ++i) {
            if (line[i] != colour) {
                return false;
            }
        }
        return column + size.width() == shown.width() || line[column + size.width()] != colour;
    };
    for (int row = 0; row + size.height() <= shown.height(); ++row) {
        const auto* line = reinterpret_cast<const QRgb*>(shown.constScanLine(row));
        for (int column = 0; column + size.width() <= shown.width(); ++column) {
            if (line[column] != colour || (column > 0 && line[column - 1] == colour) ||
                !runAt(row, column)) {
                continue;
            }
            bool whole = true;
            for (int below = row + 1; below < row + size.height() && whole; ++below) {
                whole = runAt(below, column);
            }
            if (whole) {
                return QPoint(column, row);
            }
        }
    }
    return std::nullopt;
}

namespace {

constexpr int kImageWidth = 640;
constexpr int kImageHeight = 480;
// Large enough to show the whole image at 100 % beside the palette and below the toolbars.
constexpr int kWindowWidth = 900;
constexpr int kWindowHeight = 700;
constexpr QRgb kCanvasColour = 0xFF000000U;  // palette entry 0 of a new image

long long PropertyCardinal(Display* display, Window window, const char* name) {
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    long long value = -1;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1, False,
                           XA_CARDINAL, &type, &format, &items, &after, &data) == Success &&
        items == 1 && format == 32) {
        value = static_cast<long long>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data != nullptr) {
        XFree(data);
    }
    return value;
}

// The viewable window of process `pid` whose title starts with "mtPaint" (the main window, not
// its tool windows), among the root's children and their children (a window manager's frames).
Window FindMainWindow(Display* display, Window parent, pid_t pid, int depth) {
    Window root = 0;
    Window up = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, parent, &root, &up, &children, &count) == 0) {
        return 0;
    }
    Window found = 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
            XWindowAttributes attributes;
            if (std::strncmp(name, "mtPaint", 7) == 0 &&
                PropertyCardinal(display, children[i], "_NET_WM_PID") == pid &&
                XGetWindowAttributes(display, children[i], &attributes) != 0 &&
                attributes.map_state == IsViewable) {
                found = children[i];
            }
            XFree(name);
        }
        if (found == 0 && depth > 0) {
            found = FindMainWindow(display, children[i], pid, depth - 1);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

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

std::optional<QRgb> PixelAt(QPoint at) {
    QString error;
    const auto screen = X11Screen::open(&error);
    return screen ? screen->pixel(at) : std::nullopt;
}

}  // namespace

MtPaintTarget::MtPaintTarget(int windowX, int windowY) {
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

bool MtPaintTarget::start(int windowX, int windowY) {
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/stylorex-mtpaint-XXXXXX"));
    if (!home.isValid()) {
        error_ = QStringLiteral("no temporary HOME for mtPaint");
        return false;
    }
    home.setAutoRemove(false);
    home_ = home.path();
    // Where its windows go and what a new image is. Its tool window of settings goes beside the
    // main window, off the canvas.
    QFile settings(home_ + QStringLiteral("/.mtpaint"));
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

    std::vector<std::string> variables;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (std::strncmp(*variable, "HOME=", 5) != 0) {
            variables.emplace_back(*variable);
        }
    }
    variables.push_back("HOME=" + home_.toStdString());
    variables.emplace_back("NO_AT_BRIDGE=1");  // no accessibility bus to wait for
    std::vector<char*> envp;
    for (std::string& variable : variables) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    char program[] = "mtpaint";
    char* argv[] = {program, nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&pid_, program, &quiet, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) {
        pid_ = -1;
        error_ = QStringLiteral("mtpaint could not be started (scripts/install-deps installs it)");
        return false;
    }
    if (!Eventually(
            [&] {
                window_ = FindMainWindow(display_, DefaultRootWindow(display_), pid_, 2);
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
    const auto screen = X11Screen::open(&error);
    if (!screen) {
        error_ = error;
        return false;
    }
    const bool found = Eventually(
        [&] {
            int x = 0;
            int y = 0;
            Window child = 0;
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display_, window_, &attributes) == 0 ||
                !XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), 0, 0, &x, &y,
                                       &child)) {
                return false;
            }
            const QRect area = QRect(x, y, attributes.width, attributes.height)
                                   .intersected(QRect(0, 0, DisplayWidth(display_, 0),
                                                      DisplayHeight(display_, 0)));
            const QImage shown = screen->grab(area);
            if (shown.isNull()) {
                return false;
            }
            const std::optional<QPoint> at =
                FindBlankArea(shown, QSize(kImageWidth, kImageHeight), kCanvasColour);
            if (at) {
                canvas_ = QRect(area.topLeft() + *at, QSize(kImageWidth, kImageHeight));
            }
            return at.has_value();
        },
        10000, 50);
    if (!found) {
        error_ = QStringLiteral("mtPaint's 640 × 480 canvas was not found on the screen");
        return false;
    }
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
                inked = PixelAt(probe);
                return inked && *inked != kCanvasColour;
            },
            5000, 10)) {
        error_ = QStringLiteral("mtPaint's paint tool left no ink");
        return false;
    }
    ink_ = *inked;
    // A 1-pixel brush inks the pressed pixel alone.
    for (const QPoint near : {QPoint(-1, 0), QPoint(0, -1), QPoint(-1, -1)}) {
        if (PixelAt(probe + near) != kCanvasColour) {
            error_ = QStringLiteral("mtPaint's brush is wider than one pixel");
            return false;
        }
    }
    TapKey(display_, XK_z, true);
    if (!Eventually([&] { return PixelAt(probe) == kCanvasColour; }, 5000, 10)) {
        error_ = QStringLiteral("mtPaint did not undo the probe");
        return false;
    }
    return true;
}

}  // namespace stylorex::testing
