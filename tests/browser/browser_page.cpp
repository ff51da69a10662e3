#include "tests/browser/browser_page.h"

#include "os/x11/screen_x11.h"
#include "tests/x11/mtpaint_target.h"
#include "tests/x11/x11_session.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QUrl>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

extern char** environ;

namespace stylorex::testing {

namespace {

constexpr QSize kCanvasSize(640, 480);
constexpr QRgb kCanvasColour = 0xFFFFFFFFU;

QString WindowName(Display* display, Window window) {
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    QString name;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 256,
                           False, XInternAtom(display, "UTF8_STRING", False), &type, &format,
                           &items, &after, &data) == Success &&
        data != nullptr && format == 8) {
        name = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(items));
    }
    if (data != nullptr) {
        XFree(data);
    }
    return name;
}

// The viewable window titled `title`, among the root's children and theirs (a window
// manager's frames).
Window FindWindow(Display* display, Window parent, const QString& title, int depth) {
    Window root = 0;
    Window up = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, parent, &root, &up, &children, &count) == 0) {
        return 0;
    }
    Window found = 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
        XWindowAttributes attributes;
        if (WindowName(display, children[i]) == title &&
            XGetWindowAttributes(display, children[i], &attributes) != 0 &&
            attributes.map_state == IsViewable) {
            found = children[i];
        } else if (depth > 0) {
            found = FindWindow(display, children[i], title, depth - 1);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

}  // namespace

BrowserPage::BrowserPage(const QString& site, const QString& page) : page_(page) {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) {
        error_ = QStringLiteral("no X display");
        return;
    }
    if (start(site)) {
        findCanvas();
    }
}

BrowserPage::~BrowserPage() {
    if (pid_ > 0) {
        // The browser and every process it started are in a process group of their own.
        kill(-pid_, SIGTERM);
        int status = 0;
        if (!Eventually([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, 5000, 20)) {
            kill(-pid_, SIGKILL);
            waitpid(pid_, &status, 0);
        }
        kill(-pid_, SIGKILL);  // helpers that outlived it
    }
    if (!profile_.isEmpty()) {
        QDir(profile_).removeRecursively();
    }
    if (display_ != nullptr) {
        XCloseDisplay(display_);
    }
}

bool BrowserPage::start(const QString& site) {
    const QString file = site + QLatin1Char('/') + page_ + QStringLiteral(".html");
    if (!QFileInfo::exists(file)) {
        error_ = QStringLiteral("no page ") + file;
        return false;
    }
    if (page_ != QStringLiteral("one_pixel") &&
        !QFileInfo::exists(site + QStringLiteral("/node_modules/") + page_)) {
        error_ = QStringLiteral(
                     "npm package %1 is not installed in %2 (the browser_packages "
                     "test runs npm ci there)")
                     .arg(page_, site);
        return false;
    }
    QTemporaryDir profile(QDir::tempPath() + QStringLiteral("/stylorex-chromium-XXXXXX"));
    if (!profile.isValid()) {
        error_ = QStringLiteral("no temporary profile for Chromium");
        return false;
    }
    profile.setAutoRemove(false);
    profile_ = profile.path();

    std::vector<std::string> arguments = {
        "chromium",
        "--user-data-dir=" + profile_.toStdString(),
        "--no-first-run",
        "--no-default-browser-check",
        "--disable-default-apps",
        "--disable-extensions",
        "--disable-sync",
        "--disable-translate",
        "--password-store=basic",
        "--force-device-scale-factor=1",
        "--window-position=0,0",
        "--window-size=720,600",
        // The atrament page imports its ES module from the next folder, which a file:// page
        // may only do with this.
        "--allow-file-access-from-files",
        "--app=" + QUrl::fromLocalFile(file).toString().toStdString(),
    };
    // Chromium refuses to start as root with its sandbox on (CI runs as root); the pages are
    // the tests' own and load nothing from elsewhere.
    if (geteuid() == 0) {
        arguments.insert(arguments.begin() + 1, "--no-sandbox");
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int spawned = posix_spawnp(&pid_, "chromium", &quiet, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) {
        pid_ = -1;
        error_ = QStringLiteral("chromium could not be started (scripts/install-deps installs it)");
        return false;
    }
    // The page sets its title once it has set up its canvas.
    const QString title = QStringLiteral("stylorex %1 ready").arg(page_);
    if (!Eventually(
            [&] {
                window_ = FindWindow(display_, DefaultRootWindow(display_), title, 2);
                return window_ != 0;
            },
            30000, 50)) {
        error_ = QStringLiteral("Chromium's window with the page ready did not appear");
        return false;
    }
    return true;
}

bool BrowserPage::findCanvas() {
    QString error;
    const auto screen = X11Screen::open(&error);
    if (!screen) {
        error_ = error;
        return false;
    }
    // The canvas stands at (20, 20) of a grey page: the only white area of its size in the
    // window, once it is shown.
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
            const std::optional<QPoint> at = FindBlankArea(shown, kCanvasSize, kCanvasColour);
            if (at) {
                canvas_ = QRect(area.topLeft() + *at, kCanvasSize);
            }
            return at.has_value();
        },
        15000, 100);
    if (!found) {
        error_ = QStringLiteral("the page's white 640 x 480 canvas was not found on the screen");
        return false;
    }
    // Let the page settle: the first frames after load may still be composited.
    Pause(300);
    return true;
}

InkComparison CompareInk(const QImage& picture, QPoint at, const QImage& before,
                         const QImage& after) {
    const QRect inside(at, picture.size());
    const auto line = [&](int x, int y) {
        return inside.contains(x, y) && qGray(picture.pixel(x - at.x(), y - at.y())) <= 80;
    };
    const auto changed = [&](int x, int y) { return before.pixel(x, y) != after.pixel(x, y); };
    const auto ink = [&](int x, int y) {
        return before.valid(x, y) &&
               qGray(before.pixel(x, y)) - qGray(after.pixel(x, y)) >= InkComparison::kInkStep;
    };
    InkComparison result;
    std::size_t covered = 0;
    for (int y = 0; y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x) {
            bool nearLine = false;
            bool nearInk = false;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    nearLine = nearLine || line(x + dx, y + dy);
                    nearInk = nearInk || ink(x + dx, y + dy);
                }
            }
            if (line(x, y)) {
                ++result.linePixels;
                result.missing += changed(x, y) ? 0 : 1;
                covered += nearInk ? 1 : 0;
            } else {
                result.extra += changed(x, y) ? 1 : 0;
                result.far += ink(x, y) && !nearLine ? 1 : 0;
            }
        }
    }
    result.coverage = result.linePixels == 0
                          ? 1.0
                          : static_cast<double>(covered) / static_cast<double>(result.linePixels);
    return result;
}

QImage SettledScreen(const QRect& area, int ms) {
    QString error;
    const auto screen = X11Screen::open(&error);
    if (!screen) {
        return {};
    }
    QImage after = screen->grab(area);
    int quiet = 0;
    Eventually(
        [&] {
            QImage again = screen->grab(area);
            quiet = again == after ? quiet + 1 : 0;
            after = std::move(again);
            return quiet >= 2;
        },
        ms, 100);
    return after;
}

}  // namespace stylorex::testing
