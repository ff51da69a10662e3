#include "os/fatal_signals.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

#include <signal.h>
#include <unistd.h>

namespace stylorex {

namespace {

constexpr std::array<int, 5> kFatalSignals = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

struct Slot {
    std::atomic<int> fd{-1};  // -1: free
    std::atomic<bool> armed{false};
    std::array<char, FatalSignalWrite::kMaxBytes> bytes{};
    std::size_t size = 0;
};

std::array<Slot, 4> g_slots;
std::array<struct sigaction, kFatalSignals.size()> g_previous{};
std::mutex g_registration;
bool g_installed = false;

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "the handler reads the slots");

extern "C" void writeLastWords(int signal, siginfo_t* info, void*) {
    const int savedErrno = errno;
    for (Slot& slot : g_slots) {
        const int fd = slot.fd.load(std::memory_order_acquire);
        if (fd >= 0 && slot.armed.load(std::memory_order_acquire)) {
            [[maybe_unused]] const ssize_t written = ::write(fd, slot.bytes.data(), slot.size);
        }
    }
    for (std::size_t i = 0; i < kFatalSignals.size(); ++i) {
        if (kFatalSignals[i] == signal) {
            ::sigaction(signal, &g_previous[i], nullptr);
        }
    }
    // A fault recurs when the handler returns and meets the previous action there, with its
    // true context. A signal sent by a process (kill, raise, abort) does not: send it again; it
    // stays pending until the handler returns.
    if (info == nullptr || info->si_code <= 0) {
        ::raise(signal);
    }
    errno = savedErrno;
}

void installHandlers() {
    struct sigaction action {};
    action.sa_sigaction = writeLastWords;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_SIGINFO;
    for (std::size_t i = 0; i < kFatalSignals.size(); ++i) {
        ::sigaction(kFatalSignals[i], &action, &g_previous[i]);
    }
}

}  // namespace

FatalSignalWrite::FatalSignalWrite(int fd, const void* bytes, std::size_t size) {
    if (fd < 0 || size > kMaxBytes) {
        return;
    }
    const std::lock_guard lock(g_registration);
    if (!g_installed) {
        installHandlers();
        g_installed = true;
    }
    for (std::size_t i = 0; i < g_slots.size(); ++i) {
        Slot& slot = g_slots[i];
        if (slot.fd.load() < 0) {
            std::memcpy(slot.bytes.data(), bytes, size);
            slot.size = size;
            slot.armed.store(false);
            slot.fd.store(fd, std::memory_order_release);
            slot_ = static_cast<int>(i);
            return;
        }
    }
}

FatalSignalWrite::~FatalSignalWrite() {
    if (slot_ >= 0) {
        const std::lock_guard lock(g_registration);
        g_slots[slot_].armed.store(false);
        g_slots[slot_].fd.store(-1, std::memory_order_release);
    }
}

void FatalSignalWrite::arm(bool armed) {
    if (slot_ >= 0) {
        g_slots[slot_].armed.store(armed, std::memory_order_release);
    }
}

}  // namespace stylorex
