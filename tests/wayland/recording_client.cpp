#include "tests/wayland/recording_client.h"

#include <fcntl.h>
#include <linux/input-event-codes.h>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <utility>

#include <wayland-client.h>
#include <xdg-shell-client.h>

namespace stylorex::testing {

namespace {

constexpr auto kAnswerLimit = std::chrono::seconds(10);

RecordingClient* Self(void* data) {
    return static_cast<RecordingClient*>(data);
}

int SurfacePixel(wl_fixed_t position) {
    return static_cast<int>(std::floor(wl_fixed_to_double(position)));
}

}  // namespace

// The client's listeners; each gets the client as its data.
struct RecordingClientListeners {
    static const xdg_wm_base_listener wmBase;
    static const xdg_surface_listener xdgSurface;
    static const xdg_toplevel_listener toplevel;
    static const wl_seat_listener seat;
    static const wl_pointer_listener pointer;
    static const wl_callback_listener frame;
    static const wl_callback_listener sync;
};

RecordingClient::RecordingClient(int width, int height, std::chrono::milliseconds frameTime)
    : frameTime_(frameTime) {
    if (pipe2(wakePipe_, O_CLOEXEC) != 0) {
        return;
    }
    display_ = wl_display_connect(nullptr);
    if (display_ == nullptr) {
        return;
    }
    static const wl_registry_listener registryListener = {&RecordingClient::global,
                                                          [](void*, wl_registry*, unsigned) {}};
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &registryListener, this);
    wl_display_roundtrip(display_);
    if (compositor_ == nullptr || shm_ == nullptr || wmBase_ == nullptr || seat_ == nullptr) {
        return;
    }

    size_ = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    const int fd = memfd_create("stylorex-recording-client", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(size_)) != 0) {
        return;
    }
    memory_ = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory_ == MAP_FAILED) {
        memory_ = nullptr;
        close(fd);
        return;
    }
    wl_shm_pool* pool = wl_shm_create_pool(shm_, fd, static_cast<std::int32_t>(size_));
    buffer_ = wl_shm_pool_create_buffer(pool, 0, width, height, width * 4, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    canvas_ = QImage(static_cast<uchar*>(memory_), width, height, width * 4, QImage::Format_RGB32);
    canvas_.fill(Qt::white);

    surface_ = wl_compositor_create_surface(compositor_);
    xdgSurface_ = xdg_wm_base_get_xdg_surface(wmBase_, surface_);
    xdg_surface_add_listener(xdgSurface_, &RecordingClientListeners::xdgSurface, this);
    toplevel_ = xdg_surface_get_toplevel(xdgSurface_);
    xdg_toplevel_add_listener(toplevel_, &RecordingClientListeners::toplevel, this);
    xdg_toplevel_set_app_id(toplevel_, kRecordingClientAppId);
    xdg_toplevel_set_title(toplevel_, "Stylorex test target");
    xdg_toplevel_set_min_size(toplevel_, width, height);
    xdg_toplevel_set_max_size(toplevel_, width, height);
    wl_surface_commit(surface_);
    while (!configured_ && wl_display_dispatch(display_) >= 0) {
    }
    if (!configured_) {
        return;
    }
    presented_ = false;
    commitIfDrawn();
    wl_display_flush(display_);

    alive_ = true;
    thread_ = std::thread([this] { loop(); });
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, kAnswerLimit, [&] { return presented_ || !alive_; }) ||
        !presented_) {
        alive_ = false;
    }
}

RecordingClient::~RecordingClient() {
    if (thread_.joinable()) {
        const char quit = 'q';
        while (write(wakePipe_[1], &quit, 1) < 0 && errno == EINTR) {
        }
        thread_.join();
    }
    if (display_ != nullptr) {
        if (frame_ != nullptr) {
            wl_callback_destroy(frame_);
        }
        if (pointer_ != nullptr) {
            wl_pointer_destroy(pointer_);
        }
        if (toplevel_ != nullptr) {
            xdg_toplevel_destroy(toplevel_);
        }
        if (xdgSurface_ != nullptr) {
            xdg_surface_destroy(xdgSurface_);
        }
        if (surface_ != nullptr) {
            wl_surface_destroy(surface_);
        }
        if (buffer_ != nullptr) {
            wl_buffer_destroy(buffer_);
        }
        for (void* global : {static_cast<void*>(wmBase_), static_cast<void*>(seat_),
                             static_cast<void*>(shm_), static_cast<void*>(compositor_)}) {
            if (global != nullptr) {
                wl_proxy_destroy(static_cast<wl_proxy*>(global));
            }
        }
        wl_registry_destroy(registry_);
        wl_display_disconnect(display_);
    }
    if (memory_ != nullptr) {
        munmap(memory_, size_);
    }
    for (int fd : wakePipe_) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

void RecordingClient::global(void* data, wl_registry* registry, unsigned name,
                             const char* interface, unsigned /*version*/) {
    RecordingClient* self = Self(data);
    if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
        self->compositor_ = static_cast<wl_compositor*>(
            wl_registry_bind(registry, name, &wl_compositor_interface, 4));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        self->shm_ = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
        self->wmBase_ =
            static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
        xdg_wm_base_add_listener(self->wmBase_, &RecordingClientListeners::wmBase, self);
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && self->seat_ == nullptr) {
        self->seat_ =
            static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        wl_seat_add_listener(self->seat_, &RecordingClientListeners::seat, self);
    }
}

bool RecordingClient::alive() const {
    std::lock_guard lock(mutex_);
    return alive_;
}

void RecordingClient::loop() {
    const int fd = wl_display_get_fd(display_);
    for (;;) {
        if (wl_display_dispatch_pending(display_) < 0) {
            break;
        }
        if (std::exchange(framePresented_, false)) {
            std::this_thread::sleep_for(frameTime_);
        }
        commitIfDrawn();
        if (wl_display_prepare_read(display_) != 0) {
            continue;
        }
        if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
            wl_display_cancel_read(display_);
            break;
        }
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            wl_display_cancel_read(display_);
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if ((fds[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
            if (wl_display_read_events(display_) < 0) {
                break;
            }
        } else {
            wl_display_cancel_read(display_);
        }
        if ((fds[1].revents & POLLIN) != 0) {
            char command = 0;
            if (read(wakePipe_[0], &command, 1) == 1 && command == 'q') {
                return;
            }
            std::lock_guard lock(mutex_);
            for (; syncsSent_ < syncsAsked_; ++syncsSent_) {
                wl_callback_add_listener(wl_display_sync(display_), &RecordingClientListeners::sync,
                                         this);
            }
        }
    }
    std::lock_guard lock(mutex_);
    alive_ = false;
    changed_.notify_all();
}

bool RecordingClient::sync() {
    unsigned target = 0;
    {
        std::lock_guard lock(mutex_);
        if (!alive_) {
            return false;
        }
        target = ++syncsAsked_;
    }
    const char ask = 's';
    while (write(wakePipe_[1], &ask, 1) < 0 && errno == EINTR) {
    }
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kAnswerLimit, [&] { return syncsDone_ >= target || !alive_; }) &&
           alive_;
}

std::vector<SurfaceEvent> RecordingClient::events() {
    sync();
    std::lock_guard lock(mutex_);
    return events_;
}

void RecordingClient::forget() {
    sync();
    std::lock_guard lock(mutex_);
    events_.clear();
}

void RecordingClient::wipe() {
    {
        std::lock_guard lock(mutex_);
        canvas_.fill(Qt::white);
        drawn_ = true;
    }
    // The wake-up of the round trip has the client thread show the white canvas.
    shownCanvas();
}

QImage RecordingClient::shownCanvas() {
    if (!sync()) {
        return QImage();
    }
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, kAnswerLimit,
                           [&] { return (!drawn_ && presented_) || !alive_; }) ||
        !alive_) {
        return QImage();
    }
    return canvas_.copy();
}

void RecordingClient::record(SurfaceEvent::Kind kind, int x, int y) {
    std::lock_guard lock(mutex_);
    events_.push_back({kind, x, y});
}

void RecordingClient::pointerAt(SurfaceEvent::Kind kind, int x, int y) {
    record(kind, x, y);
    if (buttonDown_) {
        drawLine(lastX_, lastY_, x, y);
    }
    lastX_ = x;
    lastY_ = y;
}

void RecordingClient::drawLine(int x0, int y0, int x1, int y1) {
    std::lock_guard lock(mutex_);
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int stepX = x0 < x1 ? 1 : -1;
    const int stepY = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        if (canvas_.valid(x0, y0)) {
            canvas_.setPixel(x0, y0, qRgb(0, 0, 0));
        }
        if (x0 == x1 && y0 == y1) {
            break;
        }
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += stepX;
        }
        if (twice <= dx) {
            error += dx;
            y0 += stepY;
        }
    }
    drawn_ = true;
}

void RecordingClient::commitIfDrawn() {
    {
        std::lock_guard lock(mutex_);
        if (!drawn_ || frame_ != nullptr) {
            return;
        }
        drawn_ = false;
        presented_ = false;
    }
    wl_surface_attach(surface_, buffer_, 0, 0);
    wl_surface_damage_buffer(surface_, 0, 0, canvas_.width(), canvas_.height());
    frame_ = wl_surface_frame(surface_);
    wl_callback_add_listener(frame_, &RecordingClientListeners::frame, this);
    wl_surface_commit(surface_);
}

const xdg_wm_base_listener RecordingClientListeners::wmBase = {
    .ping = [](void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); },
};

const xdg_surface_listener RecordingClientListeners::xdgSurface = {
    .configure =
        [](void* data, xdg_surface* surface, std::uint32_t serial) {
            // sway moves a window on screen only once the client has committed after the ack.
            RecordingClient* self = Self(data);
            xdg_surface_ack_configure(surface, serial);
            self->configured_ = true;
            std::lock_guard lock(self->mutex_);
            self->drawn_ = true;
        },
};

const xdg_toplevel_listener RecordingClientListeners::toplevel = {
    .configure = [](void*, xdg_toplevel*, std::int32_t, std::int32_t, wl_array*) {},
    .close = [](void*, xdg_toplevel*) {},
    .configure_bounds = nullptr,
    .wm_capabilities = nullptr,
};

const wl_seat_listener RecordingClientListeners::seat = {
    // A headless compositor has a pointer only while a virtual one exists.
    .capabilities =
        [](void* data, wl_seat* seat, std::uint32_t capabilities) {
            RecordingClient* self = Self(data);
            const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
            if (pointer && self->pointer_ == nullptr) {
                self->pointer_ = wl_seat_get_pointer(seat);
                wl_pointer_add_listener(self->pointer_, &RecordingClientListeners::pointer, self);
            } else if (!pointer && self->pointer_ != nullptr) {
                wl_pointer_destroy(self->pointer_);
                self->pointer_ = nullptr;
            }
        },
    .name = nullptr,
};

const wl_pointer_listener RecordingClientListeners::pointer = {
    .enter =
        [](void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface*, wl_fixed_t x,
           wl_fixed_t y) {
            wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
            Self(data)->pointerAt(SurfaceEvent::Kind::Enter, SurfacePixel(x), SurfacePixel(y));
        },
    .leave =
        [](void* data, wl_pointer*, std::uint32_t, wl_surface*) {
            RecordingClient* self = Self(data);
            self->record(SurfaceEvent::Kind::Leave, self->lastX_, self->lastY_);
        },
    .motion =
        [](void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
            Self(data)->pointerAt(SurfaceEvent::Kind::Motion, SurfacePixel(x), SurfacePixel(y));
        },
    .button =
        [](void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button,
           std::uint32_t state) {
            RecordingClient* self = Self(data);
            if (button != BTN_LEFT) {
                return;
            }
            const bool pressed = state == WL_POINTER_BUTTON_STATE_PRESSED;
            self->record(pressed ? SurfaceEvent::Kind::Press : SurfaceEvent::Kind::Release,
                         self->lastX_, self->lastY_);
            self->buttonDown_ = pressed;
            if (pressed) {
                self->drawLine(self->lastX_, self->lastY_, self->lastX_, self->lastY_);
            }
        },
    .axis = [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {},
    .frame = nullptr,
    .axis_source = nullptr,
    .axis_stop = nullptr,
    .axis_discrete = nullptr,
    .axis_value120 = nullptr,
};

const wl_callback_listener RecordingClientListeners::frame = {
    .done =
        [](void* data, wl_callback* callback, std::uint32_t) {
            RecordingClient* self = Self(data);
            wl_callback_destroy(callback);
            self->frame_ = nullptr;
            self->framePresented_ = true;
            std::lock_guard lock(self->mutex_);
            self->presented_ = true;
            self->changed_.notify_all();
        },
};

const wl_callback_listener RecordingClientListeners::sync = {
    .done =
        [](void* data, wl_callback* callback, std::uint32_t) {
            RecordingClient* self = Self(data);
            wl_callback_destroy(callback);
            std::lock_guard lock(self->mutex_);
            ++self->syncsDone_;
            self->changed_.notify_all();
        },
};

std::string Describe(const std::vector<SurfaceEvent>& events) {
    std::ostringstream out;
    for (const SurfaceEvent& event : events) {
        PrintTo(event, &out);
        out << ' ';
    }
    return out.str();
}

void PrintTo(const SurfaceEvent& event, std::ostream* out) {
    static const char* const kNames[] = {"E", "L", "M", "P", "R"};
    *out << kNames[static_cast<int>(event.kind)] << '(' << event.x << ',' << event.y << ')';
}

}  // namespace stylorex::testing
