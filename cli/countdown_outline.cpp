#include "cli/countdown_outline.h"

#include "os/pointer_device.h"

#include <QByteArray>

namespace stylorex {

bool ShowsCountdownOutline(const DrawOptions& options) {
    // The session choice's rule: a Wayland compositor wherever WAYLAND_DISPLAY names one.
    return options.delaySeconds > 0 && !options.plan && qgetenv("WAYLAND_DISPLAY").isEmpty() &&
           !qgetenv("DISPLAY").isEmpty();
}

CountdownOutline::CountdownOutline(QRect lines, std::optional<QPoint> at, PointerDevice& pointer,
                                   ScreenReader* screen)
    : lines_(lines), at_(at), pointer_(pointer), screen_(screen) {}

void CountdownOutline::update() {
    if (lines_.isEmpty() || (at_ && shownAt_)) {
        return;
    }
    const QPoint origin = at_ ? *at_ : pointer_.position();
    if (shownAt_ == origin) {
        return;
    }
    shownAt_ = origin;
    outline_.showAround(lines_.translated(origin), screen_);
}

void CountdownOutline::withdraw() {
    outline_.withdraw();
}

}  // namespace stylorex
