#pragma once

#include <QPoint>
#include <QRect>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

typedef struct _XDisplay Display;

namespace stylorex::testing {

// A paint program of the tests' own: a window on a connection and a thread of its own that
// inks, in black on white, the pixels a left-button drag passes over, the way the kinds of
// programs users draw into do. It keeps its own record of every pixel it inked.
class PaintingTarget {
  public:
    enum class Kind {
        // Handles every motion event and joins successive positions with one-pixel lines.
        JoinsEveryMotion,
        // Inks only the positions it receives, without joining them.
        StampsEveryMotion,
        // Selects motion hints; when it gets round to a motion event (after a random 2 to 9 ms
        // of work, fixed seed) it asks the server where the pointer is now and joins that
        // position to the previous one: a diagonal step passed while it lagged is cut.
        LagsAndAsksForThePointer,
        // Receives everything and inks nothing (paints on release only in a way the screen
        // never shows, or a colour equal to the background).
        NeverPaints,
    };

    PaintingTarget(Kind kind, QRect geometry);
    ~PaintingTarget();
    PaintingTarget(const PaintingTarget&) = delete;
    PaintingTarget& operator=(const PaintingTarget&) = delete;

    bool mapped() const { return mapped_; }
    QRect geometry() const { return geometry_; }
    // Waits until the target has handled every event the server delivered before this call
    // (the caller has synced its own injecting connection first).
    bool settle();
    // Every pixel inked so far, in screen coordinates.
    std::set<std::pair<int, int>> inked() const;
    // Whites the window again and forgets what was inked.
    void wipe();

  private:
    void run();
    void ink(QPoint from, QPoint to);

    Kind kind_;
    QRect geometry_;
    Display* display_ = nullptr;
    unsigned long window_ = 0;
    unsigned long gc_ = 0;
    bool mapped_ = false;
    mutable std::mutex mutex_;
    std::set<std::pair<int, int>> inked_;
    std::atomic<int> settled_{0};
    std::atomic<bool> stop_{false};
    std::atomic<bool> wipeRequested_{false};
    int wakePipe_[2] = {-1, -1};
    std::thread thread_;
};

// How the tests' targets tell that they have caught up: the test sends the target's `window` a
// message from a connection of its own; the target, having handled every event before it, syncs
// its drawing and counts `settled` up. True once it has (within ten seconds).
bool AskToSettle(unsigned long window, const std::atomic<int>& settled);
// What the settle message carries as its first word.
inline constexpr long kSettleRequest = 0x5354;

// The pixels of a straight one-pixel line from `from` to `to`, both ends included (Bresenham).
std::set<std::pair<int, int>> LinePixels(QPoint from, QPoint to);

}  // namespace stylorex::testing
