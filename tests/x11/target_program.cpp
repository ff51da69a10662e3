#include "tests/x11/target_program.h"

#include "os/x11/screen_x11.h"
#include "tests/x11/x11_session.h"

#include <QDir>
#include <QImage>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

extern char** environ;

namespace stylorex::testing {

TargetProgram::TargetProgram(const QString& name)
    : folder_(QDir::tempPath() + QStringLiteral("/stylorex-%1-XXXXXX").arg(name)) {}

TargetProgram::~TargetProgram() {
    if (pid_ <= 0) {
        return;
    }
    const pid_t target = group_ ? -pid_ : pid_;
    kill(target, SIGTERM);
    int status = 0;
    if (!Eventually([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, 5000, 10)) {
        kill(target, SIGKILL);
        waitpid(pid_, &status, 0);
    }
    if (group_) {
        kill(target, SIGKILL);  // helpers that outlived it
    }
}

bool TargetProgram::start(const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment, bool ownGroup) {
    // The test's variables but those `environment` sets.
    const auto replaced = [&](const char* variable) {
        for (const std::string& given : environment) {
            if (std::strncmp(variable, given.c_str(), given.find('=') + 1) == 0) {
                return true;
            }
        }
        return false;
    };
    std::vector<std::string> variables;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (!replaced(*variable)) {
            variables.emplace_back(*variable);
        }
    }
    variables.insert(variables.end(), environment.begin(), environment.end());
    std::vector<char*> envp;
    for (std::string& variable : variables) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv;
    for (std::string& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    if (ownGroup) {
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
    }
    const int spawned =
        posix_spawnp(&pid_, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        pid_ = -1;
        return false;
    }
    group_ = ownGroup;
    return true;
}

namespace {

// A property of a window as XGetWindowProperty returns it: `data` is null when the window has
// none of that name and type. Freed with the struct.
struct WindowProperty {
    WindowProperty(Display* display, Window window, const char* name, Atom type, long length) {
        const Atom property = XInternAtom(display, name, False);
        Atom actualType = None;
        int format = 0;
        unsigned long after = 0;
        if (XGetWindowProperty(display, window, property, 0, length, False, type, &actualType,
                               &format, &items, &after, &data) != Success) {
            data = nullptr;
        }
    }
    ~WindowProperty() {
        if (data != nullptr) {
            XFree(data);
        }
    }
    WindowProperty(const WindowProperty&) = delete;
    WindowProperty& operator=(const WindowProperty&) = delete;

    unsigned char* data = nullptr;
    unsigned long items = 0;
};

Window FindViewableChild(Display* display, Window parent,
                         const std::function<bool(unsigned long)>& matches, int depth) {
    Window root = 0;
    Window grandparent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, parent, &root, &grandparent, &children, &count) == 0) {
        return 0;
    }
    Window found = 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
        // Nothing inside a window that is not viewable is viewable either.
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) == 0 ||
            attributes.map_state != IsViewable) {
            continue;
        }
        if (matches(children[i])) {
            found = children[i];
        } else if (depth > 0) {
            found = FindViewableChild(display, children[i], matches, depth - 1);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

}  // namespace

QString WindowTitle(Display* display, unsigned long window) {
    const WindowProperty name(display, window, "_NET_WM_NAME",
                              XInternAtom(display, "UTF8_STRING", False), 1024);
    if (name.data == nullptr) {
        return {};
    }
    return QString::fromUtf8(reinterpret_cast<const char*>(name.data),
                             static_cast<int>(name.items));
}

long long WindowPid(Display* display, unsigned long window) {
    const WindowProperty pid(display, window, "_NET_WM_PID", XA_CARDINAL, 1);
    return pid.data != nullptr && pid.items == 1 ? *reinterpret_cast<const long*>(pid.data) : -1;
}

unsigned long FindViewableWindow(Display* display,
                                 const std::function<bool(unsigned long)>& matches) {
    return FindViewableChild(display, DefaultRootWindow(display), matches, 2);
}

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

std::optional<QRect> WaitForBlankCanvas(Display* display, unsigned long window, QSize size,
                                        QRgb colour, int ms, int pollMs, QString* error) {
    const auto screen = X11Screen::open(error);
    if (!screen) {
        return std::nullopt;
    }
    const QRect wholeScreen(0, 0, DisplayWidth(display, 0), DisplayHeight(display, 0));
    std::optional<QRect> canvas;
    Eventually(
        [&] {
            // The window's part of the screen, wherever a window manager has put it.
            QRect area = wholeScreen;
            if (window != 0) {
                int x = 0;
                int y = 0;
                Window child = 0;
                XWindowAttributes attributes;
                if (XGetWindowAttributes(display, window, &attributes) == 0 ||
                    !XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x,
                                           &y, &child)) {
                    return false;
                }
                area = QRect(x, y, attributes.width, attributes.height).intersected(wholeScreen);
            }
            const QImage shown = screen->grab(area);
            if (shown.isNull()) {
                return false;
            }
            if (const std::optional<QPoint> at = FindBlankArea(shown, size, colour)) {
                canvas = QRect(area.topLeft() + *at, size);
            }
            return canvas.has_value();
        },
        ms, pollMs);
    return canvas;
}

std::optional<QRgb> ScreenPixel(QPoint at) {
    QString error;
    const auto screen = X11Screen::open(&error);
    return screen ? screen->pixel(at) : std::nullopt;
}

}  // namespace stylorex::testing
