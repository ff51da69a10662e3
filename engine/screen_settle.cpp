#include "engine/screen_settle.h"

namespace stylorex {

namespace {

enum class Progress { NothingChanged, Incomplete, Complete };

Progress Compare(const QImage& before, const QImage& now, const DrawMask& drawn,
                 std::optional<QRgb> ink) {
    bool anyChange = false;
    bool complete = true;
    for (int y = 0; y < drawn.height; ++y) {
        const auto* was = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        const auto* is = reinterpret_cast<const QRgb*>(now.constScanLine(y));
        for (int x = 0; x < drawn.width; ++x) {
            const bool changed = was[x] != is[x];
            anyChange = anyChange || changed;
            if (drawn.at(x, y) && !changed && !(ink && was[x] == *ink)) {
                complete = false;
            }
        }
    }
    if (!anyChange) {
        return Progress::NothingChanged;
    }
    return complete ? Progress::Complete : Progress::Incomplete;
}

}  // namespace

QImage WaitForSettledArea(ScreenReader& screen, const QRect& rect, const QImage& before,
                          const DrawMask& drawn, std::optional<QRgb> ink,
                          const std::function<void()>& yield, MonotonicClock& clock,
                          const SettleRules& rules) {
    QImage last = screen.grab(rect);
    if (last.isNull() || before.size() != last.size()) {
        return last;
    }
    const auto start = clock.now();
    auto unchangedSince = start;
    Progress progress = Compare(before, last, drawn, ink);
    for (;;) {
        const auto now = clock.now();
        const auto quiet = now - unchangedSince;
        if (now - start >= rules.limit ||
            (progress == Progress::Complete && quiet >= rules.quietWhenComplete) ||
            (progress == Progress::Incomplete && quiet >= rules.quietWhenIncomplete)) {
            return last;
        }
        const auto next = now + rules.interval;
        while (clock.now() < next) {
            if (yield) {
                yield();
            }
            SleepTowards(clock, next);
        }
        QImage read = screen.grab(rect);
        if (read.isNull()) {
            return read;
        }
        if (read != last) {
            unchangedSince = clock.now();
            progress = Compare(before, read, drawn, ink);
            last = std::move(read);
        }
    }
}

}  // namespace stylorex
