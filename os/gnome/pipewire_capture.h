#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

struct pw_context;
struct pw_core;
struct pw_stream;
struct pw_thread_loop;
struct spa_pod;

namespace stylorex {

// A screen cast's PipeWire stream, received on PipeWire's own thread: the latest frame of the
// monitor in memory, and the pointer's position from the stream's cursor metadata. The
// compositor sends a frame only when the screen changes (at most one a refresh), and a buffer
// with the cursor's position alone when only the pointer moves.
class PipeWireCapture {
  public:
    using CursorReport = std::function<void(QPoint)>;

    // Receives node `node` of the PipeWire daemon that `fd` reaches (the one of the session,
    // when fd < 0; the fd is the caller's still). Null, with the reason in `error`, when the
    // daemon cannot be reached.
    static std::unique_ptr<PipeWireCapture> open(std::uint32_t node, int fd, QString* error);
    ~PipeWireCapture();
    PipeWireCapture(const PipeWireCapture&) = delete;
    PipeWireCapture& operator=(const PipeWireCapture&) = delete;

    // Every cursor position the stream brings, in stream pixels, from PipeWire's thread; an
    // empty function ends the reports.
    void setCursorReport(CursorReport report);
    // The last cursor position the stream brought.
    std::optional<QPoint> cursor() const;
    // The cursor's position once the stream has brought no new one for `quiet`, but no longer
    // than `limit`: the stream brings a move up to a frame or two after the pointer made it.
    std::optional<QPoint> settledCursor(std::chrono::milliseconds quiet,
                                        std::chrono::milliseconds limit);
    // Whether the stream brings the cursor at `at` within `limit`.
    bool waitForCursor(QPoint at, std::chrono::milliseconds limit);
    // `rect` (stream pixels) of the latest frame, once the stream has brought nothing new for
    // `quiet`, but no longer than `limit` once there is a frame (a busy screen is never
    // quiet): a change made just before the call takes a frame or two to arrive. Null when no
    // frame has come at all, or `rect` leaves it.
    QImage frame(const QRect& rect, std::chrono::milliseconds quiet,
                 std::chrono::milliseconds limit);

  private:
    PipeWireCapture() = default;
    static void onParamChanged(void* data, std::uint32_t id, const spa_pod* param);
    static void onProcess(void* data);
    void updateBufferParams();

    pw_thread_loop* loop_ = nullptr;
    pw_context* context_ = nullptr;
    pw_core* core_ = nullptr;
    pw_stream* stream_ = nullptr;
    struct Hook;
    std::unique_ptr<Hook> hook_;

    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    QImage frame_;
    std::chrono::steady_clock::time_point lastArrival_;
    std::optional<QPoint> cursor_;
    std::chrono::steady_clock::time_point cursorArrival_;
    CursorReport report_;
};

}  // namespace stylorex
