#include "tests/wayland/session_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace stylorex::testing {

pid_t Spawn(std::vector<std::string> argv, std::vector<std::string> environment,
            const std::string& log) {
    std::vector<char*> args;
    for (std::string& arg : argv) {
        args.push_back(arg.data());
    }
    args.push_back(nullptr);
    std::vector<char*> variables;
    for (std::string& variable : environment) {
        variables.push_back(variable.data());
    }
    variables.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!log.empty()) {
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    }
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(),
                                     environment.empty() ? environ : variables.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

void Stop(pid_t pid) {
    if (pid <= 0) {
        return;
    }
    kill(pid, SIGTERM);
    int status = 0;
    if (!WaitUntil([&] { return waitpid(pid, &status, WNOHANG) != 0; }, std::chrono::seconds(5))) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

EnvironmentOverride::~EnvironmentOverride() {
    for (const auto& [name, value] : saved_) {
        if (value) {
            qputenv(name.c_str(), *value);
        } else {
            qunsetenv(name.c_str());
        }
    }
}

void EnvironmentOverride::set(const std::string& name, const QByteArray& value) {
    if (saved_.find(name) == saved_.end()) {
        saved_[name] = qEnvironmentVariableIsSet(name.c_str())
                           ? std::optional<QByteArray>(qgetenv(name.c_str()))
                           : std::nullopt;
    }
    qputenv(name.c_str(), value);
}

PrivateSessionBus::PrivateSessionBus(const std::string& folder) {
    const std::string socket = folder + "/session-bus";
    address_ = "unix:path=" + socket;
    pid_ = Spawn({"dbus-daemon", "--session", "--nofork", "--nosyslog", "--address=" + address_},
                 {}, folder + "/dbus.log");
    if (pid_ > 0 &&
        !WaitUntil([&] { return std::filesystem::exists(socket); }, std::chrono::seconds(10))) {
        Stop(pid_);
        pid_ = -1;
    }
}

PrivateSessionBus::~PrivateSessionBus() {
    Stop(pid_);
}

}  // namespace stylorex::testing
