#pragma once

#include <QRect>

#include <vector>

namespace stylorex {

// The outer rectangles (frame and border included) of the top-level windows shown on the
// desktop now, in desktop pixels, from the bottom of the stack to the top. Windows of other
// desktops and minimised ones are not shown, so not listed. Empty where the window system does
// not tell a client where the others' windows lie (Wayland, Qt's offscreen platform).
std::vector<QRect> ShownDesktopWindows();

}  // namespace stylorex
