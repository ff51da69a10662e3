#pragma once

#include "engine/monotonic_clock.h"

#include <chrono>
#include <functional>

namespace stylorex {

// The pace of the moves a run sends without waiting for each one's ink (a target that paints
// late, followed in order). Such a target may still merge moves that come faster than it reads
// them: a browser reads the pointer's motion events once per turn of its event loop and keeps
// only the latest of those queued, so a turn of the stroke sent right after the one before is
// lost, and the page joins across it with a chord. So each move that must reach the target (a
// turn) is held for pace() before the next one is sent; each turn seen lost (a later one shows ink
// while it never does) widens the pace. It never narrows within a run: a chord's ink cannot be
// taken back.
class MovePacing {
  public:
    // The first pace: Chromium under Xvfb, on a busy machine, mostly reads a lone move within a
    // few milliseconds; a narrower first pace loses turns (ink off the picture) before it widens.
    static constexpr std::chrono::microseconds kFirstPace{4000};
    // How much wider each lost turn makes it, and the widest it gets: a frame (60 Hz), by which
    // any browser has read its queue.
    static constexpr int kWidenPercent = 200;
    static constexpr std::chrono::microseconds kWidestPace{16667};

    // The target keeps only moves sent apart: from now on each is held, kFirstPace at first.
    void engage();
    bool paced() const { return pace_.count() > 0; }
    // Right after a turn was sent: waits pace() (nothing until engaged), yielding through `between`
    // (true from it ends the wait at once: false then).
    bool hold(MonotonicClock& clock, const std::function<bool()>& between) const;
    // A turn sent was lost: the target merged it into a later move.
    void lost();

    std::chrono::nanoseconds pace() const { return pace_; }
    int lostTurns() const { return lost_; }

  private:
    std::chrono::nanoseconds pace_{0};
    int lost_ = 0;
};

}  // namespace stylorex
