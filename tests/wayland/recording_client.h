#pragma once

#include <QImage>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

struct wl_buffer;
struct wl_callback;
struct wl_compositor;
struct wl_display;
struct wl_pointer;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct wl_surface;
struct xdg_surface;
struct xdg_toplevel;
struct xdg_wm_base;

namespace stylorex::testing {

// The app id by which the test compositor's configuration floats the client and places it.
inline constexpr char kRecordingClientAppId[] = "stylorex-target";

// One pointer event as the client received it, in surface pixels (the position's whole part).
struct SurfaceEvent {
    enum class Kind { Enter, Leave, Motion, Press, Release };
    Kind kind;
    int x;
    int y;

    friend bool operator==(const SurfaceEvent&, const SurfaceEvent&) = default;
};

// A Wayland client of the tests' own, like a simple paint program: an xdg-shell toplevel of a
// fixed size with one shared-memory buffer, white at first. It records the pointer events it
// receives and, while the left button is down, draws black one-pixel lines from each position
// to the next, showing them on its next frame. Like many paint programs it hides the pointer
// over its window: a compositor that draws the pointer in software (a headless one) puts it into
// what the screen reads back. A thread of its own reads and answers the
// compositor at once, as a live program does.
class RecordingClient {
  public:
    // Connects to the compositor in WAYLAND_DISPLAY and waits until the window is on screen.
    // With a `frameTime`, the client reads nothing for that long after each frame it shows,
    // like a program busy drawing its next frame.
    RecordingClient(int width, int height,
                    std::chrono::milliseconds frameTime = std::chrono::milliseconds(0));
    ~RecordingClient();
    RecordingClient(const RecordingClient&) = delete;
    RecordingClient& operator=(const RecordingClient&) = delete;

    // Whether the window was put on screen, and the compositor has not disconnected it since.
    bool alive() const;
    // Everything received up to now: the client has read and handled all that the compositor
    // had sent when the call began.
    std::vector<SurfaceEvent> events();
    // Reads and forgets what has arrived.
    void forget();
    // A new page: the canvas white again, shown on the screen before this returns.
    void wipe();
    // What the client has drawn, once the compositor has put all of it on the screen.
    QImage shownCanvas();

  private:
    friend struct RecordingClientListeners;
    static void global(void* data, wl_registry* registry, unsigned name, const char* interface,
                       unsigned version);
    void loop();
    // Waits until the client thread has handled everything up to a round trip begun now.
    bool sync();
    void record(SurfaceEvent::Kind kind, int x, int y);
    void pointerAt(SurfaceEvent::Kind kind, int x, int y);
    void commitIfDrawn();
    void drawLine(int x0, int y0, int x1, int y1);

    // Set up before the thread starts, then used by it alone.
    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_compositor* compositor_ = nullptr;
    wl_shm* shm_ = nullptr;
    wl_seat* seat_ = nullptr;
    xdg_wm_base* wmBase_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    wl_surface* surface_ = nullptr;
    xdg_surface* xdgSurface_ = nullptr;
    xdg_toplevel* toplevel_ = nullptr;
    wl_buffer* buffer_ = nullptr;
    wl_callback* frame_ = nullptr;
    void* memory_ = nullptr;
    std::size_t size_ = 0;
    std::chrono::milliseconds frameTime_;
    bool framePresented_ = false;
    bool configured_ = false;
    bool buttonDown_ = false;
    int lastX_ = 0;
    int lastY_ = 0;
    int wakePipe_[2] = {-1, -1};
    std::thread thread_;

    // Shared with the test's thread.
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    QImage canvas_;  // on the shared memory
    std::vector<SurfaceEvent> events_;
    bool drawn_ = false;     // drawn since the last commit
    bool presented_ = true;  // the last commit is on screen
    bool alive_ = false;
    unsigned syncsAsked_ = 0;
    unsigned syncsDone_ = 0;
    unsigned syncsSent_ = 0;
};

std::string Describe(const std::vector<SurfaceEvent>& events);
void PrintTo(const SurfaceEvent& event, std::ostream* out);

}  // namespace stylorex::testing
