#pragma once

#include "cli/command_line.h"
#include "desktop/area_outline.h"

#include <QPoint>
#include <QRect>

#include <optional>

namespace stylorex {

class PointerDevice;
class ScreenReader;

// Whether `stylorex draw` shows where it will draw while it counts down: with a countdown
// (--delay), for a run (not --plan), in an X11 session, the only one where a window of ours can
// be placed on the desktop. The command's application then runs on the real platform instead of
// the offscreen one.
bool ShowsCountdownOutline(const DrawOptions& options);

// The outline of the area the line pixels will cover (AreaOutline) during the countdown of
// `stylorex draw --delay`: at the origin given, or, with --at pointer, where the pointer stands,
// following it. Needs the application on the real platform.
class CountdownOutline {
  public:
    // `lines`: the line pixels' rectangle with the picture's top-left pixel at (0, 0) (empty:
    // nothing to show); `at`: the origin, or none to follow `pointer`. `screen` (null: none)
    // lets withdraw() wait for the screen under the ring.
    CountdownOutline(QRect lines, std::optional<QPoint> at, PointerDevice& pointer,
                     ScreenReader* screen);

    // Each poll of the countdown: the outline shows for AreaOutline::kShownFor at the given
    // origin once, or at the pointer each time the pointer has moved.
    void update();
    // Gone from the screen, and the screen under it back, before the first press.
    void withdraw();

  private:
    QRect lines_;
    std::optional<QPoint> at_;
    PointerDevice& pointer_;
    ScreenReader* screen_;
    std::optional<QPoint> shownAt_;
    AreaOutline outline_;
};

}  // namespace stylorex
