#pragma once

#include <QPoint>
#include <QRect>

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <thread>
#include <utility>
#include <vector>

typedef struct _XDisplay Display;
union _XEvent;

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
        // Selects motion hints; when it gets round to a motion event (after a random 0.2 to
        // 1 ms of work, fixed seed) it asks the server for the pointer, which lets the next
        // hint come, but joins the position the event carries (the first move after its last
        // question) to the previous one; a release inks nothing. Moves made while it works are
        // never seen: a straight run sent at once stops where the target was when it began.
        JoinsHintPositions,
        // Handles every motion event, takes each position as the top-left corner of its pixel
        // and inks, along the segment from the previous position, the pixel under every point
        // of it from its start up to, not including, its end (a press inks its own pixel; a
        // release nothing). So a step right, down or down-right inks where it starts, its end
        // only with the next step (a stroke ending so loses its last pixel), and a step up-right
        // or down-left inks the top-left pixel of its 2 x 2 block instead of its end.
        JoinsAtPixelCorners,
        // A raster editor's 1-pixel pencil: along the line to each position, a step up-right
        // inks only the pixel above where it starts, a step down-left only the one left of
        // where it starts, and any other step where it starts and where it ends; so the end of
        // a step up-right or down-left gets ink only when the next step goes another way. A
        // press inks its own pixel, a release nothing; moves it has not handled yet are merged
        // into one line to the latest.
        LeavesUpRightAndDownLeftEndsToTheNextStep,
    };

    // Unmanaged: on top of every window, where `geometry` says. Managed: a window the window
    // manager frames and places (at `geometry`'s size, as near its place as the manager puts
    // it; geometry() then says where it is), and that takes every press through its grab.
    enum class Placement { Unmanaged, Managed };

    // What some programs do beside inking, any of them together.
    enum Habit : unsigned {
        // Paints a 13 x 13 grey cross centred on the pointer into the canvas while the pointer
        // is over the window, as a pixel-art editor shows its cursor.
        DrawsCursorCross = 1,
        // Takes the keyboard focus at a press, and erases the stroke in progress when it gets
        // Esc (what it had inked before the stroke's press stays); the stroke's further moves
        // ink nothing until the next press.
        CancelsStrokeOnEsc = 2,
        // Puts a dab at a press only when no move of the drag comes within kDabWindow of it (a
        // painting program's brush); a move's line leaves out where it starts, which the press's
        // dab or the previous line inked. A stroke's first pixel is lost when a move follows at
        // once.
        DropsPressDabOnQuickMove = 4,
        // Inks with a pen three pixels across: the 3 x 3 square around each pixel it would ink.
        DrawsWithAThreePixelPen = 8,
        // Joins two positions more than a pixel apart with a curve instead of a line, as a
        // painting program's smoothing does: the quadratic whose control point stands off the
        // segment's middle, to its left, by half its length (a quarter of it at the curve's
        // farthest).
        CurvesLongJoins = 16,
    };
    static constexpr std::chrono::milliseconds kDabWindow{10};

    // `paintDelay`: the target keeps every event and inks what each one asks for this long
    // after it came, in order, as a program that queues its work does. `habits`: Habit bits.
    PaintingTarget(Kind kind, QRect geometry,
                   std::chrono::milliseconds paintDelay = std::chrono::milliseconds(0),
                   Placement placement = Placement::Unmanaged, unsigned habits = 0);
    ~PaintingTarget();
    PaintingTarget(const PaintingTarget&) = delete;
    PaintingTarget& operator=(const PaintingTarget&) = delete;

    bool mapped() const { return mapped_; }
    // Where the window's inside is on the screen.
    QRect geometry() const { return geometry_; }
    // Waits until the target has handled every event the server delivered before this call
    // (the caller has synced its own injecting connection first).
    bool settle();
    // Every pixel inked so far, in screen coordinates.
    std::set<std::pair<int, int>> inked() const;
    // Whites the window again and forgets what was inked.
    void wipe();
    // Key presses and releases the window received.
    int keyEvents() const { return keyEvents_; }
    // Sends the window an Esc press of its own, as if it had the keyboard and the user typed Esc
    // where nobody else takes it.
    void sendEsc();

  private:
    struct Work {
        std::chrono::steady_clock::time_point due;
        QPoint from;
        QPoint to;
    };
    void run();
    void handle(const _XEvent& event);
    void ink(QPoint from, QPoint to);
    void inkNow(QPoint from, QPoint to);
    void inkDueWork();
    // Draws `pixels` in black where inked, else white; then the cursor cross over them.
    void repaint(const std::set<std::pair<int, int>>& pixels);
    std::set<std::pair<int, int>> crossPixels() const;
    void moveCross(std::optional<QPoint> at);
    void cancelStroke();
    void putDab();

    Kind kind_;
    unsigned habits_;
    QRect geometry_;
    std::chrono::milliseconds paintDelay_;
    std::deque<Work> work_;  // the target's thread only
    bool down_ = false;
    QPoint last_;
    std::mt19937 random_{20261207};
    std::uniform_int_distribution<int> lagMs_{2, 9};
    std::uniform_int_distribution<int> hintWorkUs_{200, 1000};
    Display* display_ = nullptr;
    unsigned long window_ = 0;
    unsigned long gc_ = 0;
    bool mapped_ = false;
    mutable std::mutex mutex_;
    std::set<std::pair<int, int>> inked_;
    std::set<std::pair<int, int>> inkedBeforeStroke_;  // the target's thread only
    std::optional<QPoint> cross_;                      // the target's thread only
    // A press's dab not yet put (DropsPressDabOnQuickMove), and when it is due; the target's
    // thread only.
    std::optional<std::chrono::steady_clock::time_point> dabDue_;
    std::atomic<int> keyEvents_{0};
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

// Pixels as (x, y) pairs, the way the targets record their ink.
using PixelSet = std::set<std::pair<int, int>>;
PixelSet ToPixelSet(const std::vector<QPoint>& points);
// The pixels of `a` that are not in `b`.
PixelSet Minus(const PixelSet& a, const PixelSet& b);

// The pixels of a straight one-pixel line from `from` to `to`, both ends included (Bresenham).
std::set<std::pair<int, int>> LinePixels(QPoint from, QPoint to);
// The pixels LeavesUpRightAndDownLeftEndsToTheNextStep inks along the line from `from` to `to`.
std::set<std::pair<int, int>> PencilSegmentPixels(QPoint from, QPoint to);
// The pixels under the segment from corner `from` to corner `to` (JoinsAtPixelCorners), from
// its start up to, not including, its end.
std::set<std::pair<int, int>> CornerSegmentPixels(QPoint from, QPoint to);

}  // namespace stylorex::testing
