#pragma once

#include "tests/wayland/session_process.h"

#include <QByteArray>
#include <QRect>
#include <QString>

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>

namespace stylorex::testing {

// A headless sway with one 1280 × 1024 output, for as long as the object lives: the
// compositor users of wlroots desktops have. sway refuses to run as root, so under root it
// runs as nobody, with a runtime folder of its own. The windows of the recording client float
// with their top-left at (kTargetX, kTargetY), without borders. While it runs, this process's
// WAYLAND_DISPLAY, XDG_RUNTIME_DIR and SWAYSOCK name it, as in a sway session.
class HeadlessSway {
  public:
    HeadlessSway();
    ~HeadlessSway();
    HeadlessSway(const HeadlessSway&) = delete;
    HeadlessSway& operator=(const HeadlessSway&) = delete;

    bool running() const { return pid_ > 0 && !ipcSocket_.isEmpty(); }
    QByteArray ipcSocket() const { return ipcSocket_; }
    // Where sway has put the window with `appId`, from its IPC tree.
    std::optional<QRect> windowRect(const QString& appId) const;
    // What sway printed, for a failure message.
    std::string log() const;

  private:
    std::string folder_;
    pid_t pid_ = -1;
    QByteArray ipcSocket_;
    EnvironmentOverride environment_;
};

// Esc as a keyboard user types it, through a virtual keyboard (wtype); returns once wtype has
// ended.
void TypeEscape();
// One key (an XKB key name: "Tab", "Return", "g") into the window that has the keyboard, with
// Control held when asked, the same way.
void TypeKey(const std::string& key, bool control = false);

}  // namespace stylorex::testing
