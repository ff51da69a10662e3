#pragma once

#include <QByteArray>

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace stylorex::testing {

// Starts `argv` with exactly `environment` (this process's own when empty), its output into
// `log` when one is given; the child's pid, or -1. The child is asked to end when this process
// dies, however it dies.
pid_t Spawn(std::vector<std::string> argv, std::vector<std::string> environment = {},
            const std::string& log = {});
// Asks the child to end (SIGTERM), waits for it a few seconds and kills it if it does not.
void Stop(pid_t pid);
// Whether `done` holds within `limit`, asked every few milliseconds.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
std::string ReadFile(const std::string& path);

// Variables of this process's environment set for as long as the object lives: a session's
// WAYLAND_DISPLAY, XDG_RUNTIME_DIR and the like while a test's compositor runs.
class EnvironmentOverride {
  public:
    EnvironmentOverride() = default;
    ~EnvironmentOverride();
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

    void set(const std::string& name, const QByteArray& value);

  private:
    std::map<std::string, std::optional<QByteArray>> saved_;
};

// A session bus of the test's own (as dbus-run-session starts one), listening in `folder`.
class PrivateSessionBus {
  public:
    explicit PrivateSessionBus(const std::string& folder);
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    bool running() const { return pid_ > 0; }
    // DBUS_SESSION_BUS_ADDRESS's value for it.
    std::string address() const { return address_; }

  private:
    pid_t pid_ = -1;
    std::string address_;
};

}  // namespace stylorex::testing
