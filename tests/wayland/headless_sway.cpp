#include "tests/wayland/headless_sway.h"

#include "os/wayland/sway_ipc.h"
#include "tests/wayland/recording_client.h"
#include "tests/wayland/session_process.h"
#include "tests/x11/target_window.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace stylorex::testing {

namespace {

// sway refuses root; nobody owns nothing that a test could spoil.
constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;

std::optional<QRect> FindWindow(const QJsonObject& node, const QString& appId) {
    if (node.value(QStringLiteral("app_id")).toString() == appId) {
        const QJsonObject rect = node.value(QStringLiteral("rect")).toObject();
        return QRect(rect.value(QStringLiteral("x")).toInt(),
                     rect.value(QStringLiteral("y")).toInt(),
                     rect.value(QStringLiteral("width")).toInt(),
                     rect.value(QStringLiteral("height")).toInt());
    }
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue& child : node.value(QLatin1String(children)).toArray()) {
            if (std::optional<QRect> found = FindWindow(child.toObject(), appId)) {
                return found;
            }
        }
    }
    return std::nullopt;
}

}  // namespace

HeadlessSway::HeadlessSway() {
    char pattern[] = "/tmp/stylorex-sway-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        ADD_FAILURE() << "could not make sway's runtime folder";
        return;
    }
    folder_ = pattern;
    const std::string config = folder_ + "/config";
    std::ofstream(config) << "output HEADLESS-1 resolution 1280x1024 position 0 0\n"
                          << "xwayland disable\n"
                          << "default_border none\n"
                          << "default_floating_border none\n"
                          << "for_window [app_id=\"" << kRecordingClientAppId
                          << "\"] floating enable, move absolute position " << kTargetX << ' '
                          << kTargetY << '\n';
    const bool root = geteuid() == 0;
    if (root && (chown(folder_.c_str(), kNobody, kNoGroup) != 0 ||
                 chown(config.c_str(), kNobody, kNoGroup) != 0)) {
        ADD_FAILURE() << "could not give sway's runtime folder to nobody";
        return;
    }

    std::vector<std::string> variables = {
        "PATH=" + std::string(getenv("PATH") != nullptr ? getenv("PATH") : "/usr/bin:/bin"),
        "HOME=" + folder_,
        "XDG_RUNTIME_DIR=" + folder_,
        "WLR_BACKENDS=headless",
        "WLR_LIBINPUT_NO_DEVICES=1",
        "WLR_RENDERER=pixman",
    };
    std::vector<std::string> argv = {"sway", "-c", config};
    if (root) {
        argv.insert(argv.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    }
    pid_ = Spawn(argv, variables, folder_ + "/sway.log");
    if (pid_ <= 0) {
        ADD_FAILURE() << "sway could not be started (scripts/install-deps installs it)";
        return;
    }

    // The sockets appear in about 0.1 s; the IPC answers once sway has read its configuration.
    std::string display;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        QByteArray ipc;
        for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("wayland-", 0) == 0 && name.find(".lock") == std::string::npos) {
                display = name;
            } else if (name.rfind("sway-ipc.", 0) == 0) {
                ipc = QByteArray::fromStdString(entry.path().string());
            }
        }
        if (!display.empty() && !ipc.isEmpty()) {
            std::unique_ptr<SwayIpc> probe = SwayIpc::connect(ipc);
            if (probe && probe->request(SwayIpc::GetVersion, {})) {
                ipcSocket_ = ipc;
                break;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (ipcSocket_.isEmpty()) {
        ADD_FAILURE() << "sway did not come up:\n" << log();
        return;
    }
    const std::map<std::string, QByteArray> session = {
        {"WAYLAND_DISPLAY", QByteArray::fromStdString(display)},
        {"XDG_RUNTIME_DIR", QByteArray::fromStdString(folder_)},
        {"SWAYSOCK", ipcSocket_},
    };
    for (const auto& [name, value] : session) {
        environment_.set(name, value);
    }
}

HeadlessSway::~HeadlessSway() {
    Stop(pid_);
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

std::optional<QRect> HeadlessSway::windowRect(const QString& appId) const {
    std::unique_ptr<SwayIpc> ipc = SwayIpc::connect(ipcSocket_);
    const std::optional<QByteArray> tree = ipc ? ipc->request(SwayIpc::GetTree, {}) : std::nullopt;
    if (!tree) {
        return std::nullopt;
    }
    return FindWindow(QJsonDocument::fromJson(*tree).object(), appId);
}

std::string HeadlessSway::log() const {
    return ReadFile(folder_ + "/sway.log");
}

namespace {

void Wtype(std::vector<std::string> keys, const char* leadMs = "150") {
    // wtype's virtual keyboard, like our virtual pointer, needs a moment before its first key.
    keys.insert(keys.begin(), {"wtype", "-s", leadMs});
    const pid_t pid = Spawn(keys);
    ASSERT_GT(pid, 0) << "wtype could not be started (scripts/install-deps installs it)";
    // A Qt client of this process must go on reading meanwhile: it takes the keyboard the
    // virtual one gives the seat only once it has seen the seat's new capability.
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (QCoreApplication::instance() != nullptr) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wtype failed";
}

}  // namespace

void TypeEscape() {
    Wtype({"-P", "Escape", "-s", "50", "-p", "Escape"});
}

void TypeKey(const std::string& key, bool control) {
    // A Qt client of this process binds the new keyboard only when its event loop gets round to
    // it: longer on a loaded machine.
    if (control) {
        Wtype({"-M", "ctrl", "-k", key, "-m", "ctrl"}, "300");
    } else {
        Wtype({"-k", key}, "300");
    }
}

}  // namespace stylorex::testing
