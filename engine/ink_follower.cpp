#include "engine/ink_follower.h"

#include <utility>

namespace stylorex {

InkFollower::InkFollower(ScreenReader& screen, QImage before, QPoint topLeft, MonotonicClock& clock)
    : screen_(screen), before_(std::move(before)), topLeft_(topLeft), clock_(clock) {}

InkFollower::Wait InkFollower::gaveUp() {
    ++giveUpsInARow_;
    return Wait::GaveUp;
}

InkFollower::Wait InkFollower::waitForInk(QPoint at, const std::function<bool()>& between) {
    const QPoint inArea = at - topLeft_;
    if (!before_.valid(inArea)) {
        return gaveUp();
    }
    const QRgb was = before_.pixel(inArea);
    if (ink_ && was == *ink_) {
        return Wait::AlreadyInk;
    }
    const auto start = clock_.now();
    const auto deadline = start + kLimit;
    for (;;) {
        const std::optional<QRgb> now = screen_.pixel(at);
        if (!now) {
            return gaveUp();
        }
        const auto readAt = clock_.now();
        if (*now != was) {
            if (!ink_) {
                ink_ = *now;
            }
            giveUpsInARow_ = 0;
            ++inkedWaits_;
            inkedTime_ += readAt - start;
            return Wait::Inked;
        }
        if (readAt >= deadline) {
            return gaveUp();
        }
        do {
            if (between()) {
                return Wait::Aborted;
            }
            SleepTowards(clock_, readAt + kPollInterval);
        } while (clock_.now() < readAt + kPollInterval);
    }
}

std::optional<std::chrono::nanoseconds> InkFollower::meanInkTime() const {
    if (inkedWaits_ == 0) {
        return std::nullopt;
    }
    return inkedTime_ / inkedWaits_;
}

}  // namespace stylorex
