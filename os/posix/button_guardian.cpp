#include "os/button_guardian.h"

#include "common/program_message.h"

#include <QCoreApplication>
#include <QString>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace stylorex {

namespace {

// Set in the guardian's environment only: the process id of the program it guards.
constexpr char kModeVariable[] = "STYLOREX_GUARDIAN";
// Set in the guardian's environment only: the backend whose part guards.
constexpr char kBackendVariable[] = "STYLOREX_GUARDIAN_BACKEND";
// The guardian's end of the pipe, and the memory that holds the shared state.
constexpr int kGuardianFd = 3;
constexpr int kGuardianStateFd = 4;
// What `ps` and the tests see as the guardian's name (at most 15 characters).
constexpr char kGuardianName[] = "stylorex-guard";
constexpr auto kExitWait = std::chrono::seconds(1);
// Far above the 30 to 45 ms a start takes on an idle machine (docs/performance.md).
constexpr int kReadyWaitMs = 3000;

std::string StartError(int error) {
    return QCoreApplication::translate("ButtonGuardian", "見張りプロセスを起動できません: ")
               .toStdString() +
           std::strerror(error);
}

// Whether the guardian said it is ready within kReadyWaitMs.
bool AwaitReady(int fd) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kReadyWaitMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd answer{fd, POLLIN, 0};
        const int ready = ::poll(&answer, 1, static_cast<int>(std::max<long long>(left, 0)));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        char message = 0;
        return ready == 1 && ::read(fd, &message, 1) == 1 && message == guardian_message::kReady;
    }
}

// The program's environment with the guardian's variables set to this process and `backend`.
std::vector<std::string> GuardianEnvironment(const char* backend) {
    std::vector<std::string> variables;
    const std::string prefix = std::string(kModeVariable) + "=";
    const std::string backendPrefix = std::string(kBackendVariable) + "=";
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        if (std::strncmp(*entry, prefix.c_str(), prefix.size()) != 0 &&
            std::strncmp(*entry, backendPrefix.c_str(), backendPrefix.size()) != 0) {
            variables.emplace_back(*entry);
        }
    }
    variables.push_back(prefix + std::to_string(getpid()));
    variables.push_back(backendPrefix + backend);
    return variables;
}

}  // namespace

void RunButtonGuardian(GuardianPorts& ports) {
    bool down = false;
    for (;;) {
        char message = 0;
        const GuardianPorts::Wait wait = ports.next(&message, kGuardianCheckMs);
        if (wait == GuardianPorts::Wait::Closed) {
            break;
        }
        if (wait == GuardianPorts::Wait::Message) {
            if (message == guardian_message::kExit) {
                return;
            }
            if (message == guardian_message::kButtonDown) {
                down = true;
            } else if (message == guardian_message::kButtonUp) {
                down = false;
            } else if (message == guardian_message::kReleaseNow) {
                ports.releaseButton();
                down = false;
            }
            continue;  // what the program wrote before it went is read before it is judged gone
        }
        if (!ports.programRuns()) {
            break;
        }
        if (down && ports.programStopped()) {
            ports.releaseButton();
            down = false;
        }
    }
    if (down) {
        ports.releaseButton();
    }
}

PipeGuardianPorts::PipeGuardianPorts(int fd, pid_t program) : fd_(fd), program_(program) {
    struct stat memory {};
    if (::fstat(kGuardianStateFd, &memory) == 0 &&
        memory.st_size >= static_cast<off_t>(sizeof(GuardianSharedState))) {
        void* mapped = ::mmap(nullptr, sizeof(GuardianSharedState), PROT_READ, MAP_SHARED,
                              kGuardianStateFd, 0);
        if (mapped != MAP_FAILED) {
            state_ = static_cast<const GuardianSharedState*>(mapped);
        }
    }
}

PipeGuardianPorts::~PipeGuardianPorts() {
    if (state_ != nullptr) {
        ::munmap(const_cast<GuardianSharedState*>(state_), sizeof(GuardianSharedState));
    }
}

bool PipeGuardianPorts::stateChanged(char* message) {
    if (state_ == nullptr) {
        return false;
    }
    const std::uint32_t releases = state_->releaseRequests.load(std::memory_order_acquire);
    if (releases != seenReleases_) {
        seenReleases_ = releases;
        *message = guardian_message::kReleaseNow;
        return true;
    }
    const std::uint32_t down = state_->down.load(std::memory_order_acquire);
    if (down != seenDown_) {
        seenDown_ = down;
        *message = down != 0 ? guardian_message::kButtonDown : guardian_message::kButtonUp;
        return true;
    }
    return false;
}

GuardianPorts::Wait PipeGuardianPorts::next(char* message, int ms) {
    bool waited = false;
    for (;;) {
        if (stateChanged(message)) {
            return Wait::Message;
        }
        while (read_ < buffered_) {
            const char byte = buffer_[read_++];
            // With the shared state, the bytes for the button only wake the guardian.
            if (state_ == nullptr || byte == guardian_message::kExit) {
                *message = byte;
                return Wait::Message;
            }
        }
        // What the program did before it went is read before it is judged gone.
        if (closed_) {
            return Wait::Closed;
        }
        if (waited) {
            return Wait::Quiet;
        }
        pollfd pending[2] = {{fd_, POLLIN, 0}, {connectionFd(), POLLIN, 0}};
        const int ready = ::poll(pending, 2, ms);
        waited = true;
        if (ready < 0 && errno != EINTR) {
            closed_ = true;
            continue;
        }
        if (ready > 0 && pending[1].revents != 0 && connectionReadable()) {
            const char lost = guardian_message::kConnectionLost;
            [[maybe_unused]] const ssize_t sent = ::send(fd_, &lost, 1, MSG_NOSIGNAL);
        }
        if (ready > 0 && pending[0].revents != 0) {
            const ssize_t got = ::read(fd_, buffer_, sizeof buffer_);
            if (got > 0) {
                buffered_ = static_cast<int>(got);
                read_ = 0;
            } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
                closed_ = true;
            }
        }
    }
}

bool PipeGuardianPorts::programRuns() {
    return ::getppid() == program_;
}

bool PipeGuardianPorts::programStopped() {
    char path[32];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(program_));
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    char stat[512];
    const ssize_t got = ::read(fd, stat, sizeof stat - 1);
    ::close(fd);
    if (got <= 0) {
        return false;
    }
    stat[got] = '\0';
    // "pid (name) state ...": the name may hold blanks and parentheses; the state follows the
    // last one. 'T' stopped by a signal, 't' by a debugger.
    const char* close = std::strrchr(stat, ')');
    return close != nullptr && close[1] == ' ' && (close[2] == 'T' || close[2] == 't');
}

bool GuardianModeRequested(int* fd, pid_t* program, const char* backend) {
    const char* value = std::getenv(kModeVariable);
    const char* wanted = std::getenv(kBackendVariable);
    if (value == nullptr || std::strcmp(wanted != nullptr ? wanted : kX11Guardian, backend) != 0) {
        return false;
    }
    char* end = nullptr;
    const long pid = std::strtol(value, &end, 10);
    struct stat pipe {};
    if (end == value || *end != '\0' || pid <= 1 || ::fstat(kGuardianFd, &pipe) != 0 ||
        !S_ISSOCK(pipe.st_mode)) {
        // Not started by the program (a stray variable): carry on as the program.
        ::unsetenv(kModeVariable);
        return false;
    }
    ::prctl(PR_SET_NAME, kGuardianName, 0, 0, 0);
    *fd = kGuardianFd;
    *program = static_cast<pid_t>(pid);
    return true;
}

std::unique_ptr<ButtonGuardian> ButtonGuardian::start(std::string* error, const char* backend) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
        *error = StartError(errno);
        return nullptr;
    }
    const int memory = ::memfd_create(kGuardianName, MFD_CLOEXEC);
    void* mapped = MAP_FAILED;
    if (memory >= 0 && ::ftruncate(memory, sizeof(GuardianSharedState)) == 0) {
        mapped = ::mmap(nullptr, sizeof(GuardianSharedState), PROT_READ | PROT_WRITE, MAP_SHARED,
                        memory, 0);
    }
    if (mapped == MAP_FAILED) {
        *error = StartError(errno);
        if (memory >= 0) {
            ::close(memory);
        }
        ::close(fds[0]);
        ::close(fds[1]);
        return nullptr;
    }
    auto* state = new (mapped) GuardianSharedState;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], kGuardianFd);
    posix_spawn_file_actions_adddup2(&actions, memory, kGuardianStateFd);
    // Nothing else of the program's: a pipe the guardian held would keep a reader waiting.
    posix_spawn_file_actions_addclosefrom_np(&actions, kGuardianStateFd + 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A session of its own, so that Ctrl+C in a terminal reaches only the program, which then
    // releases the button itself. Not only a group of its own in the program's session: when the
    // program dies, that group is orphaned, and the kernel sends SIGHUP to an orphaned group with
    // a stopped member, which would end a stopped guardian before it releases the button. No
    // signal the program blocks stays blocked.
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);

    std::vector<std::string> variables = GuardianEnvironment(backend);
    std::vector<char*> envp;
    for (std::string& variable : variables) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    char name[sizeof kGuardianName];
    std::memcpy(name, kGuardianName, sizeof name);
    char* argv[] = {name, nullptr};

    pid_t pid = -1;
    const int spawned =
        ::posix_spawn(&pid, "/proc/self/exe", &actions, &attributes, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(fds[1]);
    ::close(memory);
    if (spawned != 0) {
        ::close(fds[0]);
        ::munmap(mapped, sizeof(GuardianSharedState));
        *error = StartError(spawned);
        return nullptr;
    }
    // A guardian that stops reading must never stall a run: a full pipe drops the byte that
    // would wake it, and it reads the shared state when it gets round to it.
    ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    auto guardian = std::unique_ptr<ButtonGuardian>(new ButtonGuardian(fds[0], pid, state));
    if (!AwaitReady(fds[0])) {
        *error = std::strcmp(backend, kX11Guardian) == 0
                     ? QCoreApplication::translate("ButtonGuardian",
                                                   "見張りプロセスが X サーバーに接続できません")
                           .toStdString()
                     : QCoreApplication::translate(
                           "ButtonGuardian", "見張りプロセスがコンポジタのマウス操作を使えません")
                           .toStdString();
        return nullptr;  // the destructor ends it
    }
    return guardian;
}

void ReportGuardianReady(int fd) {
    const char ready = guardian_message::kReady;
    [[maybe_unused]] const ssize_t sent = ::send(fd, &ready, 1, MSG_NOSIGNAL);
}

ButtonGuardian::~ButtonGuardian() {
    if (fd_ >= 0) {
        const char exit = guardian_message::kExit;
        [[maybe_unused]] const ssize_t sent = ::send(fd_, &exit, 1, MSG_NOSIGNAL);
        ::close(fd_);
    }
    ::munmap(state_, sizeof(GuardianSharedState));
    const auto deadline = std::chrono::steady_clock::now() + kExitWait;
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void ButtonGuardian::buttonDown() {
    state_->down.store(1, std::memory_order_release);
    send(guardian_message::kButtonDown);
}

void ButtonGuardian::buttonUp() {
    state_->down.store(0, std::memory_order_release);
    send(guardian_message::kButtonUp);
}

void ButtonGuardian::releaseNow() {
    state_->releaseRequests.fetch_add(1, std::memory_order_acq_rel);
    send(guardian_message::kReleaseNow);
}

void ButtonGuardian::send(char message) {
    if (fd_ < 0) {
        return;
    }
    // A guardian that has died fails the send (EPIPE, no signal); the pipe stays open, so that
    // its end of file still tells whoever watches fd().
    while (::send(fd_, &message, 1, MSG_NOSIGNAL) < 0 && errno == EINTR) {
    }
}

void ReportCrashProtectionOff(const std::string& reason) {
    static std::atomic<bool> reported{false};
    if (!reported.exchange(true)) {
        PrintProgramMessage(QCoreApplication::translate(
                                "ButtonGuardian",
                                "クラッシュ保護が無効です（%1）。描画中にプログラムが異常終了"
                                "すると、マウスの左ボタンが押されたままになることがあります。")
                                .arg(QString::fromStdString(reason)));
    }
}

}  // namespace stylorex
