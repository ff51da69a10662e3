#include "tests/wayland/headless_desktop.h"

#include "os/dbus/session_bus.h"
#include "os/gnome/mutter_remote_desktop.h"
#include "os/kde/kwin_pointer.h"
#include "os/wayland/wayland_connection.h"
#include "tests/wayland/recording_client.h"
#include "tests/x11/target_window.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace stylorex::testing {

namespace {

constexpr auto kStartLimit = std::chrono::seconds(30);

std::string Which(const std::string& program) {
    for (const char* folder : {"/usr/bin", "/usr/local/bin", "/bin"}) {
        const std::string path = std::string(folder) + "/" + program;
        if (access(path.c_str(), X_OK) == 0) {
            return path;
        }
    }
    return program;
}

}  // namespace

HeadlessDesktop::HeadlessDesktop() {
    char pattern[] = "/tmp/stylorex-desktop-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        ADD_FAILURE() << "could not make the session's folder";
        return;
    }
    folder_ = pattern;
    runtime_ = folder_ + "/runtime";
    for (const char* sub : {"/runtime", "/config", "/data", "/cache", "/home"}) {
        std::filesystem::create_directory(folder_ + sub);
    }
    chmod(runtime_.c_str(), 0700);
    bus_ = std::make_unique<PrivateSessionBus>(folder_);
    if (!bus_->running()) {
        ADD_FAILURE() << "dbus-daemon could not be started (scripts/install-deps installs dbus)";
    }
}

HeadlessDesktop::~HeadlessDesktop() {
    // The compositor first, then what it needs.
    for (auto child = children_.rbegin(); child != children_.rend(); ++child) {
        Stop(child->second);
    }
    bus_.reset();
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

std::string HeadlessDesktop::log() const {
    std::string text;
    for (const auto& [name, pid] : children_) {
        text += "--- " + name + ":\n" + ReadFile(folder_ + "/" + name + ".log");
    }
    return text;
}

bool HeadlessDesktop::start(const std::string& name, std::vector<std::string> argv,
                            std::vector<std::string> environment) {
    if (!bus_->running()) {
        return false;
    }
    const char* path = std::getenv("PATH");
    environment.insert(
        environment.end(),
        {"PATH=" + std::string(path != nullptr ? path : "/usr/bin:/bin"),
         "HOME=" + folder_ + "/home", "XDG_RUNTIME_DIR=" + runtime_,
         "XDG_CONFIG_HOME=" + folder_ + "/config", "XDG_CACHE_HOME=" + folder_ + "/cache",
         "DBUS_SESSION_BUS_ADDRESS=" + bus_->address()});
    const pid_t pid = Spawn(std::move(argv), environment, folder_ + "/" + name + ".log");
    if (pid <= 0) {
        ADD_FAILURE() << name << " could not be started (scripts/install-deps installs it)";
        return false;
    }
    children_.emplace_back(name, pid);
    return true;
}

void HeadlessDesktop::enter(const std::string& display, const std::string& service,
                            const std::string& desktopName) {
    environment_.set("DBUS_SESSION_BUS_ADDRESS", QByteArray::fromStdString(bus_->address()));
    std::shared_ptr<SessionBus> bus;
    const bool up = WaitUntil(
        [&] {
            if (!std::filesystem::exists(runtime_ + "/" + display)) {
                return false;
            }
            if (bus == nullptr) {
                bus = SessionBus::open();
            }
            return bus != nullptr && bus->hasService(QString::fromStdString(service));
        },
        kStartLimit);
    if (!up) {
        ADD_FAILURE() << "the compositor did not come up:\n" << log();
        return;
    }
    environment_.set("WAYLAND_DISPLAY", QByteArray::fromStdString(display));
    environment_.set("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime_));
    environment_.set("XDG_CURRENT_DESKTOP", QByteArray::fromStdString(desktopName));
    running_ = true;
}

struct HeadlessKWin::User {
    std::unique_ptr<KWinPointer> pointer;
};

HeadlessKWin::HeadlessKWin(const std::vector<std::string>& authorised) {
    if (folder_.empty()) {
        return;
    }
    const std::string data = folder_ + "/data";
    for (const std::string& executable : authorised) {
        const pid_t pid = Spawn({STYLOREX_SOURCE_DIR "/scripts/kwin-authorise", executable, data});
        int status = 0;
        if (pid <= 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            ADD_FAILURE() << "scripts/kwin-authorise failed for " << executable;
            return;
        }
    }
    std::ofstream(folder_ + "/config/kwinrulesrc")
        << "[General]\ncount=1\nrules=target\n\n"
        << "[target]\nDescription=recording client\n"
        << "wmclass=" << kRecordingClientAppId << "\nwmclassmatch=1\n"
        << "position=" << kTargetX << ',' << kTargetY << "\npositionrule=2\n"
        << "noborder=true\nnoborderrule=2\n";
    // The system's kwin_wayland may carry a file capability that a container refuses to grant;
    // a plain copy runs anywhere.
    const std::string kwin = folder_ + "/kwin_wayland";
    std::error_code failed;
    std::filesystem::copy_file(Which("kwin_wayland"), kwin, failed);
    if (failed) {
        ADD_FAILURE() << "kwin_wayland not found (scripts/install-deps installs kwin-wayland)";
        return;
    }
    if (!start("kwin",
               {kwin, "--virtual", "--width", "1280", "--height", "1024", "--socket",
                "stylorex-kwin", "--no-lockscreen", "--no-global-shortcuts", "--no-kactivities"},
               {"XDG_DATA_DIRS=" + data + ":/usr/local/share:/usr/share"})) {
        return;
    }
    enter("stylorex-kwin", "org.kde.KWin", "KDE");
}

HeadlessKWin::~HeadlessKWin() = default;

void HeadlessKWin::userMovesPointer(QPoint to) {
    if (user_ == nullptr) {
        user_ = std::make_unique<User>();
        user_->pointer = KWinPointer::open(WaylandConnection::connect(), nullptr);
    }
    ASSERT_NE(user_->pointer, nullptr) << "KWin gave the test no fake input of its own";
    user_->pointer->moveTo(to.x(), to.y());
}

struct HeadlessMutter::User {
    std::unique_ptr<MutterRemoteDesktop> remote;
};

HeadlessMutter::HeadlessMutter() {
    // WirePlumber gives up at once when PipeWire's socket is not there yet, and without it no
    // screen cast stream is ever linked.
    if (folder_.empty() || !start("pipewire", {"pipewire"}, {})) {
        return;
    }
    if (!WaitUntil([&] { return std::filesystem::exists(runtime_ + "/pipewire-0"); },
                   kStartLimit)) {
        ADD_FAILURE() << "PipeWire did not come up:\n" << log();
        return;
    }
    if (!start("wireplumber", {"wireplumber"}, {}) ||
        !start("mutter",
               {"mutter", "--headless", "--wayland", "--no-x11", "--virtual-monitor", "1280x1024",
                "--wayland-display", "stylorex-mutter"},
               {})) {
        return;
    }
    enter("stylorex-mutter", "org.gnome.Mutter.RemoteDesktop", "GNOME");
}

HeadlessMutter::~HeadlessMutter() = default;

void HeadlessMutter::userMovesPointer(QPoint to) {
    if (user_ == nullptr) {
        user_ = std::make_unique<User>();
        QString error;
        // The session's own bus, whatever this process's programs are shown of it.
        user_->remote = MutterRemoteDesktop::open(
            SessionBus::open(QString::fromStdString(bus_->address())), &error);
        ASSERT_NE(user_->remote, nullptr) << error.toStdString();
    }
    user_->remote->motion(to - user_->remote->monitor().topLeft());
}

}  // namespace stylorex::testing
