#pragma once

#include <QImage>
#include <QRect>

#include <chrono>
#include <functional>

namespace stylorex {

class ScreenReader;

// After a window of ours has gone from the screen, the windows below repaint what it covered,
// each when it gets round to it. Waits, while events go on, until `rect` of the screen is back:
// until `isBack` accepts what it shows, or it has stopped changing for a few reads (something
// else changed it meanwhile), or `limit` has passed. False when the limit ended the wait.
bool WaitUntilScreenSettles(ScreenReader& screen, const QRect& rect,
                            const std::function<bool(const QImage&)>& isBack,
                            std::chrono::milliseconds limit);

}  // namespace stylorex
