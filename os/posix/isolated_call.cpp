#include "os/isolated_call.h"

#include <QThreadPool>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
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

std::optional<QByteArray> RunIsolated(const std::function<QByteArray()>& work,
                                      const IsolationLimits& limits) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    // A library that ends the child with exit() flushes the child's copy of stdio buffers:
    // empty them first so nothing is written twice.
    std::fflush(nullptr);
    // Qt spreads the conversion of a large image over its global thread pool. The child has
    // none of the pool's threads while the pool still counts on its idle ones, so work handed
    // to them there would never run: end them here, and the child's pool starts its own.
    QThreadPool::globalInstance()->waitForDone(kPoolEndWaitMs);
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return std::nullopt;
    }
    if (child == 0) {
        ::close(fds[0]);
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

    QByteArray answer;
    bool refused = false;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(limits.timeoutMs);
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            refused = true;
            break;
        }
        pollfd pfd{fds[0], POLLIN, 0};
        const int ready = ::poll(&pfd, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            refused = true;
            break;
        }
        const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        answer.append(buffer, got);
        if (answer.size() > limits.maxAnswerBytes) {
            refused = true;
            break;
        }
    }
    ::close(fds[0]);
    if (refused) {
        ::kill(child, SIGKILL);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (refused || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || answer.isEmpty()) {
        return std::nullopt;
    }
    return answer;
}

}  // namespace stylorex
