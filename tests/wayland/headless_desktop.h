#pragma once

#include "tests/wayland/session_process.h"

#include <QPoint>

#include <memory>
#include <string>
#include <vector>

namespace stylorex::testing {

// A headless KDE or GNOME compositor with one 1280 × 1024 output on a session bus of its own,
// for as long as the object lives, started as a user's desktop session has it. While it runs,
// this process's WAYLAND_DISPLAY, XDG_RUNTIME_DIR, DBUS_SESSION_BUS_ADDRESS and
// XDG_CURRENT_DESKTOP name it, as in such a session; the programs the tests start inherit them.
class HeadlessDesktop {
  public:
    virtual ~HeadlessDesktop();
    HeadlessDesktop(const HeadlessDesktop&) = delete;
    HeadlessDesktop& operator=(const HeadlessDesktop&) = delete;

    bool running() const { return running_; }
    // What the compositor and its helpers printed, for a failure message.
    std::string log() const;
    // The user's own hand on the mouse: the pointer moved to `to` by another device than the
    // program's.
    virtual void userMovesPointer(QPoint to) = 0;

  protected:
    // A fresh folder for the session's runtime, configuration and logs, under /tmp.
    HeadlessDesktop();
    // Starts `argv` with `environment` plus the session's variables, its output into the
    // folder's log `name`; false when it could not be started.
    bool start(const std::string& name, std::vector<std::string> argv,
               std::vector<std::string> environment);
    // Waits until the compositor's socket `display` is there and `service` is on the bus, then
    // names the session in this process's environment.
    void enter(const std::string& display, const std::string& service,
               const std::string& desktopName);
    // Sets a variable of this process's environment for as long as the session runs.
    void setEnvironment(const std::string& name, const QByteArray& value) {
        environment_.set(name, value);
    }

    std::string folder_;
    std::string runtime_;
    std::unique_ptr<PrivateSessionBus> bus_;

  private:
    std::vector<std::pair<std::string, pid_t>> children_;
    EnvironmentOverride environment_;
    bool running_ = false;
};

// KDE Plasma's compositor: `kwin_wayland --virtual`, a copy of it without the file capability
// that a container's bounding set may lack. `authorised` are executables (absolute paths) that
// KWin lets use its fake input and screenshots, through the desktop files that
// scripts/kwin-authorise writes. A window rule puts the recording client's window at
// (kTargetX, kTargetY) without a border.
class HeadlessKWin : public HeadlessDesktop {
  public:
    explicit HeadlessKWin(const std::vector<std::string>& authorised);
    ~HeadlessKWin() override;
    void userMovesPointer(QPoint to) override;

  private:
    struct User;
    std::unique_ptr<User> user_;
};

// GNOME's compositor: `mutter --headless` with PipeWire and WirePlumber in the same session.
// Mutter places new windows itself: WindowOrigin() finds where.
class HeadlessMutter : public HeadlessDesktop {
  public:
    HeadlessMutter();
    ~HeadlessMutter() override;
    void userMovesPointer(QPoint to) override;

  private:
    struct User;
    std::unique_ptr<User> user_;
};

}  // namespace stylorex::testing
