#include "os/isolated_call.h"

#include <QThreadPool>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define STYLOREX_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define STYLOREX_ADDRESS_SANITIZER 1
#endif
#endif

namespace stylorex {

namespace {

// Far longer than the image conversions Qt hands to its pool take.
constexpr int kPoolEndWaitMs = 1000;

void limitChild(const IsolationLimits& limits) {
    if (limits.cpuSeconds > 0) {
        const rlimit cpu{static_cast<rlim_t>(limits.cpuSeconds),
                         static_cast<rlim_t>(limits.cpuSeconds) + 1};
        setrlimit(RLIMIT_CPU, &cpu);
    }
#ifndef STYLOREX_ADDRESS_SANITIZER
    // The address sanitizer reserves terabytes of shadow memory up front; a limit would stop it.
    if (limits.addressSpaceBytes > 0) {
        const rlimit space{static_cast<rlim_t>(limits.addressSpaceBytes),
                           static_cast<rlim_t>(limits.addressSpaceBytes)};
        setrlimit(RLIMIT_AS, &space);
    }
#endif
}

// The converters report every oddity of a damaged file on the terminal; the program logs
// nothing. Sanitizer builds keep the child's reports visible.
void silenceChild() {
#ifndef STYLOREX_ADDRESS_SANITIZER
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::close(null);
    }
#endif
}

// The program's handlers (the button's last words, job-control stops, signals into the event
// loop) act on the program's state, of which the child holds only a copy.
void defaultSignals() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGTSTP, SIGTTIN, SIGTTOU, SIGCONT, SIGSEGV, SIGBUS,
                       SIGFPE, SIGILL, SIGABRT}) {
        std::signal(signal, SIG_DFL);
    }
}

bool writeAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

}  // namespace

IsolatedCall::IsolatedCall(const std::function<QByteArray()>& work, const IsolationLimits& limits)
    : deadline_(std::chrono::steady_clock::now() + std::chrono::milliseconds(limits.timeoutMs)),
      maxAnswerBytes_(limits.maxAnswerBytes) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return;
    }
    // A library that ends the child with exit() flushes the child's copy of stdio buffers:
    // empty them first so nothing is written twice.
    std::fflush(nullptr);
    // Qt spreads the conversion of a large image over its global thread pool. The child has
    // none of the pool's threads while the pool still counts on its idle ones, so work handed
    // to them there would never run: end them here, and the child's pool starts its own.
    QThreadPool::globalInstance()->waitForDone(kPoolEndWaitMs);
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return;
    }
    if (child == 0) {
        ::close(fds[0]);
        // Nothing of the work outlives the program: a parent gone before the prctl is seen
        // after it.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) {
            ::_exit(1);
        }
        defaultSignals();
        // A library that gives up with exit() would run this copy's exit handlers and static
        // destructors, which belong to the parent's state. Handlers run last-registered first,
        // so this one ends the child before any of them.
        std::atexit([] { ::_exit(1); });
        limitChild(limits);
        silenceChild();
        const QByteArray answer = work();
        const bool ok = !answer.isEmpty() && writeAll(fds[1], answer.constData(), answer.size());
        // _exit: no atexit handlers or static destructors of the parent's state run here.
        ::_exit(ok ? 0 : 1);
    }
    ::close(fds[1]);
    ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    child_ = child;
    fd_ = fds[0];
    state_ = State::Working;
}

IsolatedCall::~IsolatedCall() {
    if (state_ == State::Working) {
        cancel();
    }
}

IsolatedCall::State IsolatedCall::readAvailable() {
    if (state_ != State::Working) {
        return state_;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 && errno == EAGAIN) {
            if (std::chrono::steady_clock::now() >= deadline_) {
                finish(true);
            }
            return state_;
        }
        if (got <= 0) {
            finish(got < 0);
            return state_;
        }
        answer_.append(buffer, got);
        if (answer_.size() > maxAnswerBytes_) {
            finish(true);
            return state_;
        }
    }
}

void IsolatedCall::cancel() {
    if (state_ == State::Working) {
        finish(true);
    }
}

void IsolatedCall::finish(bool refused) {
    ::close(fd_);
    fd_ = -1;
    if (refused) {
        ::kill(child_, SIGKILL);
    }
    int status = 0;
    while (::waitpid(child_, &status, 0) < 0 && errno == EINTR) {
    }
    const bool answered =
        !refused && WIFEXITED(status) && WEXITSTATUS(status) == 0 && !answer_.isEmpty();
    if (!answered) {
        answer_.clear();
    }
    state_ = answered ? State::Answered : State::Failed;
}

std::optional<QByteArray> RunIsolated(const std::function<QByteArray()>& work,
                                      const IsolationLimits& limits) {
    IsolatedCall call(work, limits);
    while (call.state() == IsolatedCall::State::Working) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              call.deadline() - std::chrono::steady_clock::now())
                              .count();
        pollfd pfd{call.fd(), POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(std::max<long long>(left, 0) + 1)) < 0 &&
            errno != EINTR) {
            call.cancel();
        }
        call.readAvailable();
    }
    if (call.state() != IsolatedCall::State::Answered) {
        return std::nullopt;
    }
    return call.answer();
}

}  // namespace stylorex
