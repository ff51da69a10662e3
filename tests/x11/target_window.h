#pragma once

#include <QPoint>

#include <ostream>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

namespace stylorex::testing {

// Where the tests that draw through the real program or window place their target window, and
// the origin inside it, away from its edges, that those runs start from.
constexpr int kTargetX = 100;
constexpr int kTargetY = 100;
constexpr int kOriginX = 150;
constexpr int kOriginY = 140;

// One pointer event as a test's own window received it, in root (screen) coordinates; or a key
// event, its keycode in x (y is 0).
struct ReceivedEvent {
    enum class Kind { Motion, Press, Release, KeyDown, KeyUp };
    Kind kind;
    int x;
    int y;

    friend bool operator==(const ReceivedEvent&, const ReceivedEvent&) = default;
};

std::string Describe(const std::vector<ReceivedEvent>& events);
// How GoogleTest shows one event in a failure: M(x,y), P(x,y), R(x,y), or K+(code), K-(code).
void PrintTo(const ReceivedEvent& event, std::ostream* out);

// A plain Xlib window on a connection of its own that records the motion, left-button and key
// events it receives (keys only while it has the keyboard focus). Unmanaged, it lies exactly at (x,
// y) whether or not a window manager runs; managed, it is a normal top-level window that asks the
// window manager to put its frame at (x, y), as a user's paint program is.
class TargetWindow {
  public:
    enum class Placement { Unmanaged, Managed };
    TargetWindow(int x, int y, int width, int height, Placement placement = Placement::Unmanaged);
    ~TargetWindow();
    TargetWindow(const TargetWindow&) = delete;
    TargetWindow& operator=(const TargetWindow&) = delete;

    bool mapped() const { return mapped_; }
    Display* display() const { return display_; }
    // Where the window's top-left pixel is on the screen (a window manager may have moved it).
    QPoint position() const;

    // Everything received so far. Call after the injecting connection has been synced: the
    // server has then delivered the events, and this syncs its own connection and reads
    // until the queue has stayed empty for a short while.
    std::vector<ReceivedEvent> collect();
    // Reads and forgets what has arrived.
    void discard() { collect(); }

  private:
    Display* display_ = nullptr;
    unsigned long window_ = 0;
    bool mapped_ = false;
};

// Drops each motion onto the place of the event before it: the server may or may not report
// a move onto the pixel where the pointer already stands.
std::vector<ReceivedEvent> WithoutRepeatedMotions(const std::vector<ReceivedEvent>& events);

}  // namespace stylorex::testing
