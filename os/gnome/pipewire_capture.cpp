#include "os/gnome/pipewire_capture.h"

#include <fcntl.h>

#include <cstring>
#include <mutex>
#include <thread>

#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

#include <QCoreApplication>

namespace stylorex {

namespace {

// The cursor metadata carries the cursor's image too: room for one up to this side. Mutter asks
// for 384 pixels; without room for its size, it sends no cursor metadata at all.
constexpr int kCursorSide = 1024;

// The compositor sends the first frame as soon as the stream runs; a loaded machine may take a
// second.
constexpr auto kFirstFrameLimit = std::chrono::seconds(3);

constexpr int CursorMetaSize(int side) {
    return static_cast<int>(sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap)) + side * side * 4;
}

void InitPipeWire() {
    static std::once_flag once;
    std::call_once(once, [] { pw_init(nullptr, nullptr); });
}

}  // namespace

struct PipeWireCapture::Hook {
    spa_hook listener{};
    spa_video_info_raw format{};
    bool failed = false;
};

std::unique_ptr<PipeWireCapture> PipeWireCapture::open(std::uint32_t node, int fd, QString* error) {
    auto fail = [error](const QString& text) {
        if (error != nullptr) {
            *error = text;
        }
        return std::unique_ptr<PipeWireCapture>();
    };
    InitPipeWire();
    std::unique_ptr<PipeWireCapture> capture(new PipeWireCapture);
    capture->hook_ = std::make_unique<Hook>();
    capture->loop_ = pw_thread_loop_new("stylorex-screen", nullptr);
    if (capture->loop_ == nullptr) {
        return fail(
            QCoreApplication::translate("PipewireCapture", "PipeWire のスレッドを作れません"));
    }
    capture->context_ = pw_context_new(pw_thread_loop_get_loop(capture->loop_), nullptr, 0);
    if (capture->context_ == nullptr || pw_thread_loop_start(capture->loop_) != 0) {
        return fail(QCoreApplication::translate("PipewireCapture", "PipeWire を始められません"));
    }

    static const pw_stream_events kEvents = [] {
        pw_stream_events events{};
        events.version = PW_VERSION_STREAM_EVENTS;
        events.param_changed = &PipeWireCapture::onParamChanged;
        events.process = &PipeWireCapture::onProcess;
        events.state_changed = [](void* data, pw_stream_state, pw_stream_state state, const char*) {
            auto* self = static_cast<PipeWireCapture*>(data);
            if (state == PW_STREAM_STATE_ERROR) {
                std::lock_guard lock(self->mutex_);
                self->hook_->failed = true;
                self->arrived_.notify_all();
            }
        };
        return events;
    }();

    pw_thread_loop_lock(capture->loop_);
    capture->core_ = fd >= 0 ? pw_context_connect_fd(capture->context_,
                                                     fcntl(fd, F_DUPFD_CLOEXEC, 3), nullptr, 0)
                             : pw_context_connect(capture->context_, nullptr, 0);
    if (capture->core_ == nullptr) {
        pw_thread_loop_unlock(capture->loop_);
        return fail(QCoreApplication::translate("PipewireCapture", "PipeWire に接続できません"));
    }
    capture->stream_ =
        pw_stream_new(capture->core_, "stylorex-screen",
                      pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                        "Capture", PW_KEY_MEDIA_ROLE, "Screen", nullptr));
    pw_stream_add_listener(capture->stream_, &capture->hook_->listener, &kEvents, capture.get());

    // Plain memory, which the screen cast sends where the compositor renders in software and
    // which every compositor offers; the pixels as Qt's RGB32 has them in memory.
    std::uint8_t buffer[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
    spa_rectangle size{1280, 1024};
    spa_rectangle minSize{1, 1};
    spa_rectangle maxSize{16384, 16384};
    spa_fraction rate{0, 1};
    spa_fraction minRate{0, 1};
    spa_fraction maxRate{1000, 1};
    spa_pod_frame frame;
    spa_pod_builder_push_object(&builder, &frame, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat);
    spa_pod_builder_add(
        &builder, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
        SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
        SPA_POD_CHOICE_ENUM_Id(3, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx,
                               SPA_VIDEO_FORMAT_BGRA),
        SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&size, &minSize, &maxSize),
        SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&rate, &minRate, &maxRate), 0);
    const spa_pod* params[] = {static_cast<const spa_pod*>(spa_pod_builder_pop(&builder, &frame))};
    const int connected = pw_stream_connect(
        capture->stream_, PW_DIRECTION_INPUT, node,
        static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS),
        params, 1);
    pw_thread_loop_unlock(capture->loop_);
    if (connected != 0) {
        return fail(QCoreApplication::translate("PipewireCapture",
                                                "PipeWire のストリーム %1 に接続できません")
                        .arg(node));
    }
    return capture;
}

PipeWireCapture::~PipeWireCapture() {
    if (loop_ != nullptr) {
        pw_thread_loop_lock(loop_);
        if (stream_ != nullptr) {
            pw_stream_destroy(stream_);
        }
        if (core_ != nullptr) {
            pw_core_disconnect(core_);
        }
        pw_thread_loop_unlock(loop_);
        pw_thread_loop_stop(loop_);
        if (context_ != nullptr) {
            pw_context_destroy(context_);
        }
        pw_thread_loop_destroy(loop_);
    }
}

void PipeWireCapture::onParamChanged(void* data, std::uint32_t id, const spa_pod* param) {
    auto* self = static_cast<PipeWireCapture*>(data);
    if (param == nullptr || id != SPA_PARAM_Format) {
        return;
    }
    spa_video_info_raw format{};
    if (spa_format_video_raw_parse(param, &format) < 0) {
        return;
    }
    {
        std::lock_guard lock(self->mutex_);
        self->hook_->format = format;
    }
    self->updateBufferParams();
}

void PipeWireCapture::updateBufferParams() {
    std::uint8_t buffer[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
    const spa_pod* params[3];
    spa_pod_frame frame;

    spa_pod_builder_push_object(&builder, &frame, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers);
    spa_pod_builder_add(&builder, SPA_PARAM_BUFFERS_dataType,
                        SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_MemFd)),
                        0);
    params[0] = static_cast<const spa_pod*>(spa_pod_builder_pop(&builder, &frame));

    spa_pod_builder_push_object(&builder, &frame, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta);
    spa_pod_builder_add(&builder, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Header),
                        SPA_PARAM_META_size, SPA_POD_Int(static_cast<int>(sizeof(spa_meta_header))),
                        0);
    params[1] = static_cast<const spa_pod*>(spa_pod_builder_pop(&builder, &frame));

    spa_pod_builder_push_object(&builder, &frame, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta);
    spa_pod_builder_add(&builder, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Cursor),
                        SPA_PARAM_META_size,
                        SPA_POD_CHOICE_RANGE_Int(CursorMetaSize(64), CursorMetaSize(1),
                                                 CursorMetaSize(kCursorSide)),
                        0);
    params[2] = static_cast<const spa_pod*>(spa_pod_builder_pop(&builder, &frame));

    pw_stream_update_params(stream_, params, 3);
}

void PipeWireCapture::onProcess(void* data) {
    auto* self = static_cast<PipeWireCapture*>(data);
    pw_buffer* newest = nullptr;
    // Only the newest buffer matters; older ones go back at once. A cursor position in any of
    // them is reported, in order.
    while (pw_buffer* next = pw_stream_dequeue_buffer(self->stream_)) {
        spa_buffer* buffer = next->buffer;
        if (auto* cursor = static_cast<spa_meta_cursor*>(
                spa_buffer_find_meta_data(buffer, SPA_META_Cursor, sizeof(spa_meta_cursor)));
            cursor != nullptr && spa_meta_cursor_is_valid(cursor)) {
            const QPoint at(cursor->position.x, cursor->position.y);
            std::lock_guard lock(self->mutex_);
            self->cursor_ = at;
            self->cursorArrival_ = std::chrono::steady_clock::now();
            if (self->report_) {
                self->report_(at);
            }
            self->arrived_.notify_all();
        }
        const spa_data& plane = buffer->datas[0];
        auto* header = static_cast<spa_meta_header*>(
            spa_buffer_find_meta_data(buffer, SPA_META_Header, sizeof(spa_meta_header)));
        const bool corrupted =
            header != nullptr && (header->flags & SPA_META_HEADER_FLAG_CORRUPTED) != 0;
        // A buffer that only moves the cursor carries no pixels.
        if (plane.data == nullptr || plane.chunk == nullptr || plane.chunk->size == 0 ||
            corrupted) {
            pw_stream_queue_buffer(self->stream_, next);
            continue;
        }
        if (newest != nullptr) {
            pw_stream_queue_buffer(self->stream_, newest);
        }
        newest = next;
    }
    if (newest == nullptr) {
        return;
    }
    const spa_data& plane = newest->buffer->datas[0];
    {
        std::lock_guard lock(self->mutex_);
        const int width = static_cast<int>(self->hook_->format.size.width);
        const int height = static_cast<int>(self->hook_->format.size.height);
        const int stride = plane.chunk->stride;
        const auto* pixels = static_cast<const std::uint8_t*>(plane.data) + plane.chunk->offset;
        if (width > 0 && height > 0 && stride >= width * 4 &&
            static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(height) <=
                plane.chunk->size) {
            if (self->frame_.size() != QSize(width, height)) {
                self->frame_ = QImage(width, height, QImage::Format_RGB32);
            }
            for (int y = 0; y < height; ++y) {
                std::memcpy(self->frame_.scanLine(y),
                            pixels + static_cast<std::ptrdiff_t>(y) * stride,
                            static_cast<std::size_t>(width) * 4);
            }
            self->lastArrival_ = std::chrono::steady_clock::now();
            self->arrived_.notify_all();
        }
    }
    pw_stream_queue_buffer(self->stream_, newest);
}

void PipeWireCapture::setCursorReport(CursorReport report) {
    std::lock_guard lock(mutex_);
    report_ = std::move(report);
}

std::optional<QPoint> PipeWireCapture::cursor() const {
    std::lock_guard lock(mutex_);
    return cursor_;
}

std::optional<QPoint> PipeWireCapture::settledCursor(std::chrono::milliseconds quiet,
                                                     std::chrono::milliseconds limit) {
    const auto asked = std::chrono::steady_clock::now();
    const auto deadline = asked + limit;
    std::unique_lock lock(mutex_);
    for (;;) {
        const auto quietUntil = std::max(asked, cursorArrival_) + quiet;
        const auto now = std::chrono::steady_clock::now();
        if (now >= quietUntil || now >= deadline || hook_->failed) {
            return cursor_;
        }
        arrived_.wait_until(lock, std::min(quietUntil, deadline));
    }
}

bool PipeWireCapture::waitForCursor(QPoint at, std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, limit, [&] { return cursor_ == at || hook_->failed; }) &&
           cursor_ == at;
}

QImage PipeWireCapture::frame(const QRect& rect, std::chrono::milliseconds quiet,
                              std::chrono::milliseconds limit) {
    const auto asked = std::chrono::steady_clock::now();
    std::unique_lock lock(mutex_);
    if (!arrived_.wait_for(lock, kFirstFrameLimit,
                           [this] { return !frame_.isNull() || hook_->failed; }) ||
        hook_->failed) {
        return QImage();
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const auto quietUntil = std::max(asked, lastArrival_) + quiet;
        const auto now = std::chrono::steady_clock::now();
        if (now >= quietUntil || now >= deadline) {
            break;
        }
        arrived_.wait_until(lock, std::min(quietUntil, deadline));
    }
    if (!frame_.rect().contains(rect)) {
        return QImage();
    }
    return frame_.copy(rect);
}

}  // namespace stylorex
