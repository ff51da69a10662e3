#include "engine/ink_follower.h"

#include <algorithm>
#include <utility>

namespace stylorex {

namespace {

// notice() looks at most this often: a target that shows nothing costs it no more than that.
constexpr std::chrono::microseconds kNoticeInterval{1000};

}  // namespace

InkFollower::InkFollower(ScreenReader& screen, QImage before, QPoint topLeft, MonotonicClock& clock)
    : screen_(screen), before_(std::move(before)), topLeft_(topLeft), clock_(clock) {}

std::optional<bool> InkFollower::changed(QPoint at) {
    const QPoint inArea = at - topLeft_;
    if (!before_.valid(inArea)) {
        return std::nullopt;
    }
    const std::optional<QRgb> now = screen_.pixel(at);
    if (!now) {
        return std::nullopt;
    }
    return *now != before_.pixel(inArea);
}

bool InkFollower::shows(QPoint at) {
    return changed(at).value_or(false);
}

bool InkFollower::hasInk(QPoint at) {
    const QPoint inArea = at - topLeft_;
    if (ink_ && before_.valid(inArea) && before_.pixel(inArea) == *ink_) {
        return true;
    }
    return changed(at).value_or(true);
}

bool InkFollower::showedLateInk(QPoint except) {
    if (late_ || lateInOrder_ > 0) {
        return true;
    }
    return !owed_.empty() && owed_.front() != except && changed(owed_.front()).value_or(false);
}

InkFollower::Wait InkFollower::waitForPressInk(QPoint at, const std::function<bool()>& between) {
    if (!late_) {
        return waitForInk(at, between, true);
    }
    const auto deadline = clock_.now() + kLateLimit;
    while (!hasInk(at)) {
        const auto readAt = clock_.now();
        if (readAt >= deadline) {
            return finish(Wait::GaveUp);
        }
        if (pollPause(readAt, between)) {
            return finish(Wait::Aborted);
        }
    }
    return finish(Wait::Inked);
}

bool InkFollower::pollPause(std::chrono::steady_clock::time_point readAt,
                            const std::function<bool()>& between) {
    do {
        if (between()) {
            return true;
        }
        SleepTowards(clock_, readAt + kPollInterval);
    } while (clock_.now() < readAt + kPollInterval);
    return false;
}

InkFollower::Wait InkFollower::gaveUp(QPoint at) {
    ++giveUpsInARow_;
    if (!outOfOrder_ && owed_.size() < kMostOwed) {
        owed_.push_back(at);
    }
    return finish(Wait::GaveUp);
}

void InkFollower::notice() {
    if (late_ || owed_.empty()) {
        return;
    }
    const auto now = clock_.now();
    if (now < nextNotice_) {
        return;
    }
    nextNotice_ = now + kNoticeInterval;
    const std::optional<bool> oldest = changed(owed_.front());
    if (oldest.value_or(true)) {
        if (oldest && !ink_) {
            ink_ = screen_.pixel(owed_.front());  // a target late from the start teaches it here
        }
        owed_.pop_front();
        if (oldest && ++lateInOrder_ >= kLateInOrder) {
            late_ = true;
            giveUpsInARow_ = 0;
        }
        return;
    }
    // The oldest shows nothing yet: when a later one does, the target has left it out, and it
    // does not keep every move.
    if (owed_.size() >= 2 && changed(owed_[1]).value_or(false)) {
        outOfOrder_ = true;
        owed_.clear();
        lateInOrder_ = 0;
    }
}

void InkFollower::forget(QPoint at) {
    owed_.erase(std::remove(owed_.begin(), owed_.end(), at), owed_.end());
}

InkFollower::Wait InkFollower::waitInOrder(QPoint at, const std::function<bool()>& between) {
    owed_.push_back(at);
    // A read costs a round trip, as dear as a move: what is owed is looked at only once the
    // target is well behind, at most once per kNoticeInterval, and the middle first: the target
    // works in order, so once a pixel shows, every one before it has.
    const auto now = clock_.now();
    if (owed_.size() > kMostOwed / 2 && now >= nextNotice_) {
        nextNotice_ = now + kNoticeInterval;
        const auto middle = owed_.begin() + static_cast<std::ptrdiff_t>(owed_.size() / 2);
        if (changed(*middle).value_or(true)) {
            owed_.erase(owed_.begin(), middle + 1);
        }
    }
    if (owed_.size() <= kMostOwed) {
        return finish(Wait::Owed);
    }
    // Fallen too far behind: the oldest pixel is waited for.
    const QPoint oldest = owed_.front();
    const auto deadline = clock_.now() + kLateLimit;
    while (!changed(oldest).value_or(true)) {
        if (clock_.now() >= deadline) {
            // It is not catching up: the run follows it pixel by pixel again.
            late_ = false;
            outOfOrder_ = true;
            owed_.clear();
            return gaveUp(at);
        }
        const auto readAt = clock_.now();
        if (pollPause(readAt, between)) {
            return finish(Wait::Aborted);
        }
    }
    owed_.pop_front();
    return finish(Wait::Owed);
}

InkFollower::Wait InkFollower::waitForInk(QPoint at, const std::function<bool()>& between,
                                          bool patient) {
    const QPoint inArea = at - topLeft_;
    if (!before_.valid(inArea)) {
        return gaveUp(at);
    }
    const QRgb was = before_.pixel(inArea);
    if (ink_ && was == *ink_) {
        return finish(Wait::AlreadyInk);
    }
    const std::chrono::nanoseconds limit = ink_ || patient ? slowLimit() : kLimit;
    if (soft_) {
        const std::chrono::nanoseconds frames = std::max<std::chrono::nanoseconds>(
            kLimit, 3 * meanInkTime().value_or(std::chrono::nanoseconds(0)));
        return waitNearby(at, between, std::min(limit, frames));
    }
    if (late_) {
        return waitInOrder(at, between);
    }
    const auto start = clock_.now();
    const auto deadline = start + limit;
    for (;;) {
        const std::optional<QRgb> now = screen_.pixel(at);
        if (!now) {
            return gaveUp(at);
        }
        const auto readAt = clock_.now();
        if (*now != was) {
            if (!ink_) {
                ink_ = *now;
            }
            inked(readAt - start);
            noteShade(*now);
            // Shown now because it was asked for again, not late.
            owed_.erase(std::remove(owed_.begin(), owed_.end(), at), owed_.end());
            return finish(Wait::Inked);
        }
        if (readAt >= deadline) {
            return gaveUp(at);
        }
        if (pollPause(readAt, between)) {
            return finish(Wait::Aborted);
        }
    }
}

void InkFollower::inked(std::chrono::nanoseconds took) {
    giveUpsInARow_ = 0;
    ++inkedWaits_;
    inkedTime_ += took;
    // The longest recent time: a single slow one fades, a busy machine keeps it long.
    longestInkTime_ = std::max<std::chrono::nanoseconds>(took, longestInkTime_ * 15 / 16);
}

void InkFollower::noteShade(QRgb colour) {
    if (soft_ || std::find(shades_.begin(), shades_.end(), colour) != shades_.end()) {
        return;
    }
    shades_.push_back(colour);
    if (static_cast<int>(shades_.size()) >= kSoftShades) {
        learnSoftPen();
    }
}

void InkFollower::learnSoftPen() {
    if (soft_) {
        return;
    }
    soft_ = true;
    late_ = false;  // ink near the pointer is waited for instead
    owed_.clear();
    giveUpsInARow_ = 0;
    seen_ = screen_.grab(QRect(topLeft_, before_.size()));
    if (seen_.size() != before_.size()) {
        seen_ = before_;
    }
}

std::optional<bool> InkFollower::lookAround(QPoint at) {
    const QRect near = QRect(at - QPoint(1, 1), QSize(3, 3)) & QRect(topLeft_, before_.size());
    const QImage now = screen_.grab(near);
    if (now.size() != near.size()) {
        return std::nullopt;
    }
    bool changed = false;
    for (int y = 0; y < now.height(); ++y) {
        for (int x = 0; x < now.width(); ++x) {
            const QPoint q = near.topLeft() - topLeft_ + QPoint(x, y);
            changed = changed || now.pixel(x, y) != seen_.pixel(q);
            seen_.setPixel(q, now.pixel(x, y));
        }
    }
    return changed;
}

void InkFollower::aboutToMove(QPoint at) {
    if (!soft_) {
        return;
    }
    lookAround(at);
    nearbyInked_.reset();
}

InkFollower::Wait InkFollower::waitNearby(QPoint at, const std::function<bool()>& between,
                                          std::chrono::nanoseconds limit) {
    if (nearbyInked_ == at) {
        return finish(Wait::Inked);  // asked again (before a release): its ink has shown
    }
    const auto start = clock_.now();
    for (;;) {
        const std::optional<bool> changed = lookAround(at);
        if (!changed) {
            ++giveUpsInARow_;
            return finish(Wait::GaveUp);
        }
        const auto readAt = clock_.now();
        if (*changed) {
            nearbyInked_ = at;
            inked(readAt - start);
            return finish(Wait::Inked);
        }
        if (readAt >= start + limit) {
            ++giveUpsInARow_;
            return finish(Wait::GaveUp);
        }
        if (pollPause(readAt, between)) {
            return finish(Wait::Aborted);
        }
    }
}

void InkFollower::learnPenAround(const std::vector<QPoint>& at) {
    const QRect area(topLeft_, before_.size());
    const QImage now = screen_.grab(area);
    if (now.size() != before_.size() || read_.size() != before_.size()) {
        return;
    }
    for (const QPoint p : at) {
        for (int dy = -1; dy <= 1 && !soft_; ++dy) {
            for (int dx = -1; dx <= 1 && !soft_; ++dx) {
                const QPoint q = p + QPoint(dx, dy) - topLeft_;
                // A pixel back to its colour before the run is no ink: a cursor that moved on.
                if (read_.rect().contains(q) && now.pixel(q) != read_.pixel(q) &&
                    now.pixel(q) != before_.pixel(q)) {
                    noteShade(now.pixel(q));
                }
            }
        }
    }
}

void InkFollower::readNow() {
    read_ = screen_.grab(QRect(topLeft_, before_.size()));
}

bool InkFollower::inkedSinceRead(QPoint at) {
    const QRect near = QRect(at - QPoint(1, 1), QSize(3, 3)) & QRect(topLeft_, read_.size());
    const QImage now = near.isEmpty() ? QImage() : screen_.grab(near);
    if (near.isEmpty() || now.size() != near.size()) {
        return false;
    }
    for (int y = 0; y < now.height(); ++y) {
        for (int x = 0; x < now.width(); ++x) {
            if (now.pixel(x, y) != read_.pixel(near.topLeft() - topLeft_ + QPoint(x, y))) {
                return true;
            }
        }
    }
    return false;
}

std::chrono::nanoseconds InkFollower::slowLimit() const {
    return std::clamp<std::chrono::nanoseconds>(kSlowFactor * longestInkTime_, kSlowLimit,
                                                kSlowestLimit);
}

std::optional<std::chrono::nanoseconds> InkFollower::meanInkTime() const {
    if (inkedWaits_ == 0) {
        return std::nullopt;
    }
    return inkedTime_ / inkedWaits_;
}

}  // namespace stylorex
