#include "os/wayland/wayland_screen_reader.h"

#include "os/wayland/wayland_connection.h"

#include <sys/mman.h>
#include <unistd.h>

#include <stdexcept>

#include <wayland-client.h>
#include <wlr-screencopy-unstable-v1-client.h>

namespace stylorex {

namespace {

// Far above a frame of any output that is on; an output that is off never renders.
constexpr auto kCaptureLimit = std::chrono::seconds(1);

// What the compositor says about one capture.
struct Capture {
    bool described = false;  // the shared-memory format is known (all formats listed)
    bool shm = false;
    std::uint32_t format = 0;
    int width = 0;
    int height = 0;
    int stride = 0;
    bool yInverted = false;
    bool ready = false;
    bool failed = false;
};

const zwlr_screencopy_frame_v1_listener kFrameListener = {
    .buffer =
        [](void* data, zwlr_screencopy_frame_v1* frame, std::uint32_t format, std::uint32_t width,
           std::uint32_t height, std::uint32_t stride) {
            auto* capture = static_cast<Capture*>(data);
            capture->shm = true;
            capture->format = format;
            capture->width = static_cast<int>(width);
            capture->height = static_cast<int>(height);
            capture->stride = static_cast<int>(stride);
            // Before version 3 no buffer_done follows: this is the only format.
            if (zwlr_screencopy_frame_v1_get_version(frame) < 3) {
                capture->described = true;
            }
        },
    .flags =
        [](void* data, zwlr_screencopy_frame_v1*, std::uint32_t flags) {
            static_cast<Capture*>(data)->yInverted =
                (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
        },
    .ready = [](void* data, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t,
                std::uint32_t) { static_cast<Capture*>(data)->ready = true; },
    .failed = [](void* data,
                 zwlr_screencopy_frame_v1*) { static_cast<Capture*>(data)->failed = true; },
    .damage = [](void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t,
                 std::uint32_t) {},
    .linux_dmabuf = [](void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t,
                       std::uint32_t) {},
    .buffer_done = [](void* data,
                      zwlr_screencopy_frame_v1*) { static_cast<Capture*>(data)->described = true; },
};

// The shared-memory formats we read, as the QImage format of the same bytes.
std::optional<QImage::Format> ImageFormat(std::uint32_t format) {
    switch (format) {
        case WL_SHM_FORMAT_XRGB8888:
        case WL_SHM_FORMAT_ARGB8888:
            return QImage::Format_RGB32;
        case WL_SHM_FORMAT_XBGR8888:
        case WL_SHM_FORMAT_ABGR8888:
            return QImage::Format_RGBX8888;
        default:
            return std::nullopt;
    }
}

}  // namespace

WaylandScreenReader::WaylandScreenReader(std::shared_ptr<WaylandConnection> connection)
    : connection_(std::move(connection)) {}

WaylandScreenReader::~WaylandScreenReader() {
    if (pool_ != nullptr) {
        wl_shm_pool_destroy(pool_);
    }
    if (memory_ != nullptr) {
        munmap(memory_, size_);
    }
    if (fd_ >= 0) {
        close(fd_);
    }
}

bool WaylandScreenReader::reserve(std::size_t size) {
    if (size <= size_) {
        return true;
    }
    if (pool_ != nullptr) {
        wl_shm_pool_destroy(pool_);
        pool_ = nullptr;
    }
    if (memory_ != nullptr) {
        munmap(memory_, size_);
        memory_ = nullptr;
    }
    size_ = 0;
    if (fd_ < 0) {
        fd_ = memfd_create("stylorex-screen", MFD_CLOEXEC);
    }
    if (fd_ < 0 || ftruncate(fd_, static_cast<off_t>(size)) != 0) {
        return false;
    }
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
    if (memory == MAP_FAILED) {
        return false;
    }
    memory_ = memory;
    size_ = size;
    pool_ = wl_shm_create_pool(connection_->shm(), fd_, static_cast<std::int32_t>(size));
    return true;
}

QImage WaylandScreenReader::capture(const QRect& rect) {
    const WaylandConnection::Output* output = connection_->outputHolding(rect);
    if (output == nullptr || connection_->screencopyManager() == nullptr ||
        connection_->shm() == nullptr) {
        return QImage();
    }
    const QRect region = rect.translated(-output->rect().topLeft());
    Capture capture;
    zwlr_screencopy_frame_v1* frame = zwlr_screencopy_manager_v1_capture_output_region(
        connection_->screencopyManager(), 0, output->output, region.x(), region.y(), region.width(),
        region.height());
    zwlr_screencopy_frame_v1_add_listener(frame, &kFrameListener, &capture);
    struct FrameGuard {
        zwlr_screencopy_frame_v1* frame;
        wl_buffer* buffer = nullptr;
        ~FrameGuard() {
            if (buffer != nullptr) {
                wl_buffer_destroy(buffer);
            }
            zwlr_screencopy_frame_v1_destroy(frame);
        }
    } guard{frame};

    if (!connection_->dispatchUntil([&] { return capture.described || capture.failed; },
                                    kCaptureLimit) ||
        capture.failed || !capture.shm) {
        return QImage();
    }
    const std::optional<QImage::Format> format = ImageFormat(capture.format);
    const std::size_t bytes =
        static_cast<std::size_t>(capture.stride) * static_cast<std::size_t>(capture.height);
    if (!format || capture.width <= 0 || capture.height <= 0 || !reserve(bytes)) {
        return QImage();
    }
    guard.buffer = wl_shm_pool_create_buffer(pool_, 0, capture.width, capture.height,
                                             capture.stride, capture.format);
    zwlr_screencopy_frame_v1_copy(frame, guard.buffer);
    if (!connection_->dispatchUntil([&] { return capture.ready || capture.failed; },
                                    kCaptureLimit) ||
        capture.failed) {
        return QImage();
    }
    // The view lies on the shared memory that the next read overwrites: copy it out.
    const QImage view(static_cast<const uchar*>(memory_), capture.width, capture.height,
                      capture.stride, *format);
    QImage image =
        *format == QImage::Format_RGB32 ? view.copy() : view.convertToFormat(QImage::Format_RGB32);
    if (capture.yInverted) {
        image = image.mirrored(false, true);
    }
    // An output scaled up gives more device pixels than the region has: one of each block.
    if (image.size() != rect.size()) {
        image = image.scaled(rect.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    return image;
}

QImage WaylandScreenReader::grab(const QRect& rect) {
    if (rect.isEmpty()) {
        return QImage();
    }
    try {
        QImage image = capture(rect);
        if (image.isNull()) {
            return image;
        }
        // The alpha byte of XRGB is undefined: make every pixel opaque.
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                line[x] |= 0xff000000U;
            }
        }
        return image;
    } catch (const std::runtime_error&) {
        return QImage();
    }
}

std::optional<QRgb> WaylandScreenReader::pixel(QPoint at) {
    const QImage image = grab(QRect(at, QSize(1, 1)));
    if (image.isNull()) {
        return std::nullopt;
    }
    return image.pixel(0, 0);
}

}  // namespace stylorex
