#include "tests/wayland/session_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace stylorex::testing {

namespace {

bool Installed(const std::string& program) {
    if (program.find('/') != std::string::npos) {
        return access(program.c_str(), X_OK) == 0;
    }
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (access((folder + '/' + program).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

pid_t Spawn(std::vector<std::string> argv, std::vector<std::string> environment,
            const std::string& log) {
    if (argv.empty() || !Installed(argv[0])) {
        return -1;
    }
    // Everything the child needs is made before the fork: between fork and exec a child of a
    // threaded process may only make plain system calls.
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
    char** childEnvironment = environment.empty() ? environ : variables.data();
    const int output =
        log.empty() ? -1 : open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // A test that crashes or is killed takes its compositor with it.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) {
            _exit(127);
        }
        if (output >= 0) {
            dup2(output, 1);
            dup2(output, 2);
        }
        execvpe(args[0], args.data(), childEnvironment);
        _exit(127);
    }
    if (output >= 0) {
        close(output);
    }
    return pid;
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
