#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace stylorex {

// A button pressed through the pointer layer stays down when the program dies with it held (a
// crash, SIGKILL, an out-of-memory kill): the window system keeps it, not the program. The
// guardian is a second process that outlives such a death long enough to release it.
//
// The program keeps the button's state in memory it shares with the guardian, set down before a
// press and up after the release has taken effect, so that the guardian's view errs only towards
// "down"; a byte on the pipe wakes the guardian to read it. A guardian that falls behind (stopped,
// starved) reads the latest state when it gets round to it: a byte that does not fit in the
// pipe wakes nobody, but loses nothing.
// The backends that have a guardian: each releases the button through a connection of its own.
constexpr char kX11Guardian[] = "x11";
constexpr char kKWinGuardian[] = "kwin";

namespace guardian_message {
constexpr char kButtonDown = 'D';
constexpr char kButtonUp = 'U';
// From the guardian: it holds its own connection to the window system and guards.
constexpr char kReady = 'R';
// From the guardian: another client closed its connection to the window system. It has opened a
// new one and guards on until the program replaces it; the program ends its run.
constexpr char kConnectionLost = 'L';
// The program ends normally: the guardian exits without doing anything.
constexpr char kExit = 'Q';
// The program cannot release the button itself (its own connection is lost): the guardian
// releases it now.
constexpr char kReleaseNow = 'X';
}  // namespace guardian_message

// The state the program shares with its guardian.
struct GuardianSharedState {
    // 1 from before a press to after its release.
    std::atomic<std::uint32_t> down{0};
    // Counts the program's requests that the guardian release the button now.
    std::atomic<std::uint32_t> releaseRequests{0};
};
static_assert(std::atomic<std::uint32_t>::is_always_lock_free);

// What the guardian watches and does, behind an interface so that its decisions can be tested.
class GuardianPorts {
  public:
    enum class Wait {
        Message,  // a byte from the program
        Quiet,    // nothing within the time given
        Closed,   // the program's end is closed: it is gone
    };
    virtual ~GuardianPorts() = default;
    // Waits at most `ms` milliseconds for the next byte from the program.
    virtual Wait next(char* message, int ms) = 0;
    // Whether the program that started the guardian is still its parent. A child the program
    // forked without exec holds the program's end of the pipe open after the program died.
    virtual bool programRuns() = 0;
    // Whether the program is stopped (SIGSTOP, or a stop signal it did not catch): it cannot
    // release the button until it is continued.
    virtual bool programStopped() = 0;
    // Releases the left button where the pointer stands, if the window system has it down.
    virtual void releaseButton() = 0;
};

// How often the guardian looks whether the program still runs while the pipe is quiet.
constexpr int kGuardianCheckMs = 40;

// The guardian's loop. Returns when the program says it exits, or when it is gone: the pipe
// closed, or the program no longer its parent. When it is gone with the button down, as the
// program last said, the button is released first. While the button is down and the pipe
// quiet, it also looks every kGuardianCheckMs whether the program is stopped, and releases the
// button then: the program ends its run when it is continued.
void RunButtonGuardian(GuardianPorts& ports);

// The program's side: the guardian process and the pipe to it.
class ButtonGuardian {
  public:
    // Starts this executable again (/proc/self/exe, so a copy elsewhere works as well) in
    // guardian mode, which it enters before main() (see GuardianModeRequested), and waits until
    // it is ready, so that its start-up competes with no run. Null when it cannot start or
    // reach the window system, with the reason in `error`.
    // `backend` names the window system's part the guardian enters (GuardianModeRequested).
    static std::unique_ptr<ButtonGuardian> start(std::string* error,
                                                 const char* backend = kX11Guardian);
    // Tells the guardian to exit and waits up to a second for it to end.
    ~ButtonGuardian();
    ButtonGuardian(const ButtonGuardian&) = delete;
    ButtonGuardian& operator=(const ButtonGuardian&) = delete;

    void buttonDown();
    void buttonUp();
    void releaseNow();
    // The program's end of the pipe. It turns readable (end of file) when the guardian dies.
    int fd() const { return fd_; }

  private:
    ButtonGuardian(int fd, pid_t pid, GuardianSharedState* state)
        : fd_(fd), pid_(pid), state_(state) {}
    // Wakes the guardian. A send to a guardian that has died fails without a word: whoever
    // watches fd() says so.
    void send(char message);

    int fd_;
    pid_t pid_;
    GuardianSharedState* state_;
};

// Whether this process was started as a guardian for `backend`: then `fd` is its end of the
// pipe and `program` the process that started it; it then carries the guardian's name. Called
// before main(): it reads only the environment and the descriptor. Each backend's part asks for
// its own name; a guardian for another backend is left to that one's part.
bool GuardianModeRequested(int* fd, pid_t* program, const char* backend);
// Tells the program that the guardian is ready (kReady on `fd`).
void ReportGuardianReady(int fd);

// The guardian's side of the pipe `fd` from the process `program`, and of the state it shares
// (reported as the messages a change of it stands for); the window system's part,
// releaseButton, is the backend's.
class PipeGuardianPorts : public GuardianPorts {
  public:
    PipeGuardianPorts(int fd, pid_t program);
    ~PipeGuardianPorts() override;
    PipeGuardianPorts(const PipeGuardianPorts&) = delete;
    PipeGuardianPorts& operator=(const PipeGuardianPorts&) = delete;
    Wait next(char* message, int ms) override;
    bool programRuns() override;
    bool programStopped() override;

  protected:
    // A descriptor of the backend's own connection to watch while waiting (-1: none), and what
    // to do when it turns readable. True when the window system had closed it and the backend
    // opened a new one: the program is told (kConnectionLost).
    virtual int connectionFd() const { return -1; }
    virtual bool connectionReadable() { return false; }

  private:
    // Whether the shared state changed since it was last reported; `message` says how.
    bool stateChanged(char* message);

    int fd_;
    pid_t program_;
    const GuardianSharedState* state_ = nullptr;
    std::uint32_t seenDown_ = 0;
    std::uint32_t seenReleases_ = 0;
    bool closed_ = false;
    char buffer_[64] = {};
    int buffered_ = 0;
    int read_ = 0;
};

// Says on stderr, once per process, that a program that dies during a run may leave the
// button down.
void ReportCrashProtectionOff(const std::string& reason);

}  // namespace stylorex
