#include "os/stop_signals.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <mutex>

#include <pthread.h>
#include <signal.h>

namespace stylorex {

namespace {

constexpr std::array<int, 3> kStopSignals = {SIGTSTP, SIGTTIN, SIGTTOU};

std::atomic<int> g_holds{0};
// The stop signal noted during a hold, 0 for none.
std::atomic<int> g_pendingStop{0};
std::atomic<std::uint64_t> g_continues{0};

static_assert(std::atomic<int>::is_always_lock_free &&
                  std::atomic<std::uint64_t>::is_always_lock_free,
              "the handlers use them");

extern "C" void noteStopSignal(int signal);

void installStopHandler(int signal) {
    struct sigaction action {};
    action.sa_handler = noteStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
}

// Stops the process with the signal's default action and returns once it is continued. Only
// async-signal-safe calls: it also runs inside the handler.
void stopNow(int signal) {
    const int savedErrno = errno;
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    ::sigaction(signal, &standard, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);  // blocked while its own handler runs
    ::raise(signal);
    installStopHandler(signal);
    errno = savedErrno;
}

extern "C" void noteStopSignal(int signal) {
    if (g_holds.load() == 0) {
        stopNow(signal);
        return;
    }
    int none = 0;
    g_pendingStop.compare_exchange_strong(none, signal);
    if (signal != SIGTSTP) {
        // The terminal read or write that raised it is retried when the handler returns and
        // would raise it again at once; ignored, a write goes through and a read fails.
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(signal, &ignore, nullptr);
    }
}

extern "C" void countContinue(int) {
    g_continues.fetch_add(1);
}

bool installHandlers() {
    static const bool installed = [] {
        for (int signal : kStopSignals) {
            installStopHandler(signal);
        }
        struct sigaction action {};
        action.sa_handler = countContinue;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        return ::sigaction(SIGCONT, &action, nullptr) == 0;
    }();
    return installed;
}

}  // namespace

StopSignals::StopSignals() : installed_(installHandlers()) {}

void StopSignals::hold() {
    continuesAtHold_ = g_continues.load();
    g_holds.fetch_add(1);
}

void StopSignals::endHold() {
    if (g_holds.fetch_sub(1) != 1) {
        return;  // another hold still lasts
    }
    const int signal = g_pendingStop.exchange(0);
    for (int stop : kStopSignals) {
        installStopHandler(stop);  // also where the hold had them ignored
    }
    if (signal != 0) {
        stopNow(signal);
    }
}

bool StopSignals::interruptedDuringHold() const {
    return g_pendingStop.load(std::memory_order_relaxed) != 0 ||
           g_continues.load(std::memory_order_relaxed) != continuesAtHold_;
}

}  // namespace stylorex
