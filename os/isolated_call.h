#pragma once

#include <QByteArray>

#include <chrono>
#include <functional>
#include <optional>

#include <sys/types.h>

namespace stylorex {

struct IsolationLimits {
    // Wall-clock time the caller waits for the answer before the work is killed.
    int timeoutMs = 10000;
    // CPU seconds the work may use.
    int cpuSeconds = 10;
    // Address space of the work; 0 leaves it unlimited (sanitizer builds need that).
    long long addressSpaceBytes = 1024LL * 1024 * 1024;
    // Largest answer accepted; a longer one is refused.
    qsizetype maxAnswerBytes = 64 * 1024 * 1024;
};

// Runs `work` in a child process and returns its answer, so that a library that crashes,
// hangs or runs out of memory on hostile input cannot take this process down with it.
// Nothing comes back when the work crashes, exceeds a limit, or returns an empty answer.
// `work` runs in a copy of this process made by fork(): it must not touch widgets, the window
// system or other threads' state; plain C libraries, memory, and Qt's images, painter and SVG
// renderer are fine.
std::optional<QByteArray> RunIsolated(const std::function<QByteArray()>& work,
                                      const IsolationLimits& limits = {});

// The same work, waited for by the caller at its own pace: an event loop watches fd() and calls
// readAvailable() when it turns readable, and ends the work at deadline(). The child dies with
// this process (SIGKILL to it as its parent dies), and is killed and reaped when the call is
// destroyed before it has ended.
class IsolatedCall {
  public:
    enum class State { Working, Answered, Failed };

    IsolatedCall(const std::function<QByteArray()>& work, const IsolationLimits& limits = {});
    ~IsolatedCall();
    IsolatedCall(const IsolatedCall&) = delete;
    IsolatedCall& operator=(const IsolatedCall&) = delete;

    // Readable while the child has more of its answer or has ended; -1 once the call is over.
    int fd() const { return fd_; }
    std::chrono::steady_clock::time_point deadline() const { return deadline_; }
    State state() const { return state_; }
    // Reads what the child has written so far, without waiting. Past the deadline the child is
    // killed and the call has failed.
    State readAvailable();
    // Kills the child: the call has failed.
    void cancel();
    // The answer, once the state is Answered.
    const QByteArray& answer() const { return answer_; }

  private:
    void finish(bool refused);

    pid_t child_ = -1;
    int fd_ = -1;
    std::chrono::steady_clock::time_point deadline_;
    qsizetype maxAnswerBytes_ = 0;
    QByteArray answer_;
    State state_ = State::Failed;
};

}  // namespace stylorex
