#include "os/wayland/wayland_connection.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <wayland-client.h>
#include <wlr-screencopy-unstable-v1-client.h>
#include <wlr-virtual-pointer-unstable-v1-client.h>
#include <xdg-output-unstable-v1-client.h>

namespace stylorex {

namespace {

// How long one wait for the compositor may take before the connection counts as stalled: far
// above anything a live compositor needs, short enough that a hung one does not hang a run.
constexpr int kStallLimitMs = 5000;

[[noreturn]] void connectionLost() {
    throw std::runtime_error("the connection to the Wayland compositor was lost");
}

const wl_output_listener kOutputListener = {
    .geometry =
        [](void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t,
           std::int32_t, const char*, const char*, std::int32_t) {
            static_cast<WaylandConnection::Output*>(data)->position = {x, y};
        },
    .mode =
        [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
           std::int32_t) {
            if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) {
                static_cast<WaylandConnection::Output*>(data)->mode = {width, height};
            }
        },
    .done = [](void*, wl_output*) {},
    .scale =
        [](void* data, wl_output*, std::int32_t factor) {
            static_cast<WaylandConnection::Output*>(data)->scale = factor;
        },
    .name = nullptr,
    .description = nullptr,
};

const zxdg_output_v1_listener kXdgOutputListener = {
    .logical_position =
        [](void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
            auto* output = static_cast<WaylandConnection::Output*>(data);
            output->logical.moveTo(x, y);
        },
    .logical_size =
        [](void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height) {
            auto* output = static_cast<WaylandConnection::Output*>(data);
            output->logical.setSize({width, height});
        },
    .done = [](void*, zxdg_output_v1*) {},
    .name = [](void*, zxdg_output_v1*, const char*) {},
    .description = [](void*, zxdg_output_v1*, const char*) {},
};

const wl_callback_listener kDoneListener = {
    .done = [](void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; },
};

}  // namespace

QRect WaylandConnection::Output::rect() const {
    if (logical.isValid()) {
        return logical;
    }
    return QRect(position, mode / std::max(scale, 1));
}

std::shared_ptr<WaylandConnection> WaylandConnection::open(Failure* failure) {
    auto fail = [failure](Failure why) {
        if (failure != nullptr) {
            *failure = why;
        }
        return std::shared_ptr<WaylandConnection>();
    };
    std::shared_ptr<WaylandConnection> connection = connect();
    if (!connection) {
        return fail(Failure::Unreachable);
    }
    if (connection->pointerManager_ == nullptr) {
        return fail(Failure::NoVirtualPointer);
    }
    if (failure != nullptr) {
        *failure = Failure::None;
    }
    return connection;
}

std::shared_ptr<WaylandConnection> WaylandConnection::connect() {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        return nullptr;
    }
    std::shared_ptr<WaylandConnection> connection(new WaylandConnection(display));
    try {
        // The first round trip brings the globals, the second what the outputs say of
        // themselves.
        connection->roundtrip();
        connection->roundtrip();
    } catch (const std::runtime_error&) {
        return nullptr;
    }
    return connection;
}

WaylandConnection::WaylandConnection(wl_display* display) : display_(display) {
    static const wl_registry_listener listener = {&WaylandConnection::global,
                                                  &WaylandConnection::globalRemove};
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &listener, this);
}

WaylandConnection::~WaylandConnection() {
    for (const auto& output : outputs_) {
        if (output->xdgOutput != nullptr) {
            zxdg_output_v1_destroy(output->xdgOutput);
        }
        wl_output_destroy(output->output);
    }
    if (xdgOutputManager_ != nullptr) {
        zxdg_output_manager_v1_destroy(xdgOutputManager_);
    }
    if (screencopyManager_ != nullptr) {
        zwlr_screencopy_manager_v1_destroy(screencopyManager_);
    }
    if (pointerManager_ != nullptr) {
        zwlr_virtual_pointer_manager_v1_destroy(pointerManager_);
    }
    if (shm_ != nullptr) {
        wl_shm_destroy(shm_);
    }
    if (seat_ != nullptr) {
        wl_seat_destroy(seat_);
    }
    wl_registry_destroy(registry_);
    wl_display_flush(display_);
    wl_display_disconnect(display_);
}

void WaylandConnection::global(void* data, wl_registry* registry, std::uint32_t name,
                               const char* interface, std::uint32_t version) {
    auto* self = static_cast<WaylandConnection*>(data);
    auto bind = [&](const wl_interface* type, std::uint32_t wanted) {
        return wl_registry_bind(registry, name, type, std::min(version, wanted));
    };
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && self->seat_ == nullptr) {
        self->seat_ = static_cast<wl_seat*>(bind(&wl_seat_interface, 1));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        self->shm_ = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
    } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        self->pointerManager_ = static_cast<zwlr_virtual_pointer_manager_v1*>(
            bind(&zwlr_virtual_pointer_manager_v1_interface, 1));
    } else if (std::strcmp(interface, zwlr_screencopy_manager_v1_interface.name) == 0) {
        self->screencopyManager_ = static_cast<zwlr_screencopy_manager_v1*>(
            bind(&zwlr_screencopy_manager_v1_interface, 3));
    } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0) {
        self->xdgOutputManager_ =
            static_cast<zxdg_output_manager_v1*>(bind(&zxdg_output_manager_v1_interface, 2));
        for (const auto& output : self->outputs_) {
            self->watchOutput(*output);
        }
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        auto output = std::make_unique<Output>();
        output->name = name;
        output->output = static_cast<wl_output*>(bind(&wl_output_interface, 2));
        wl_output_add_listener(output->output, &kOutputListener, output.get());
        self->watchOutput(*output);
        self->outputs_.push_back(std::move(output));
    }
}

void WaylandConnection::globalRemove(void* data, wl_registry*, std::uint32_t name) {
    auto* self = static_cast<WaylandConnection*>(data);
    auto gone = std::find_if(self->outputs_.begin(), self->outputs_.end(),
                             [name](const auto& output) { return output->name == name; });
    if (gone != self->outputs_.end()) {
        if ((*gone)->xdgOutput != nullptr) {
            zxdg_output_v1_destroy((*gone)->xdgOutput);
        }
        wl_output_destroy((*gone)->output);
        self->outputs_.erase(gone);
    }
}

void WaylandConnection::watchOutput(Output& output) {
    if (xdgOutputManager_ == nullptr || output.xdgOutput != nullptr) {
        return;
    }
    output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(xdgOutputManager_, output.output);
    zxdg_output_v1_add_listener(output.xdgOutput, &kXdgOutputListener, &output);
}

QRect WaylandConnection::layout() const {
    QRect box;
    for (const auto& output : outputs_) {
        box = box.united(output->rect());
    }
    return box;
}

const WaylandConnection::Output* WaylandConnection::outputHolding(const QRect& rect) const {
    for (const auto& output : outputs_) {
        if (output->rect().contains(rect)) {
            return output.get();
        }
    }
    return nullptr;
}

void WaylandConnection::flush() {
    while (wl_display_flush(display_) < 0) {
        if (errno == EAGAIN) {
            pollfd room{wl_display_get_fd(display_), POLLOUT, 0};
            const int ready = poll(&room, 1, kStallLimitMs);
            if (ready == 0) {
                throw std::runtime_error("the Wayland compositor stopped taking requests");
            }
            if (ready < 0 && errno != EINTR) {
                connectionLost();
            }
        } else if (errno != EINTR) {
            connectionLost();
        }
    }
}

void WaylandConnection::roundtrip() {
    bool done = false;
    wl_callback* callback = wl_display_sync(display_);
    wl_callback_add_listener(callback, &kDoneListener, &done);
    const bool answered =
        dispatchUntil([&] { return done; }, std::chrono::milliseconds(kStallLimitMs));
    wl_callback_destroy(callback);
    if (!answered) {
        throw std::runtime_error("the Wayland compositor does not answer");
    }
}

bool WaylandConnection::dispatchUntil(const std::function<bool()>& done,
                                      std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (wl_display_dispatch_pending(display_) < 0) {
            connectionLost();
        }
        if (done()) {
            return true;
        }
        flush();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        if (wl_display_prepare_read(display_) != 0) {
            continue;  // events arrived in the queue meanwhile
        }
        pollfd input{wl_display_get_fd(display_), POLLIN, 0};
        const int ready = poll(&input, 1, static_cast<int>(left.count()) + 1);
        if (ready <= 0) {
            wl_display_cancel_read(display_);
            if (ready < 0 && errno != EINTR) {
                connectionLost();
            }
        } else if (wl_display_read_events(display_) < 0) {
            connectionLost();
        }
    }
}

QString WaylandDisplayName() {
    // The socket the connection goes to, found as libwayland finds it, by its real path: the
    // same compositor however WAYLAND_DISPLAY and the runtime folder name it.
    QString socket = QString::fromLocal8Bit(qgetenv("WAYLAND_DISPLAY"));
    if (socket.isEmpty()) {
        socket = QStringLiteral("wayland-0");
    }
    if (!QDir::isAbsolutePath(socket)) {
        socket = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR")) + QLatin1Char('/') + socket;
    }
    const QString real = QFileInfo(socket).canonicalFilePath();
    return QStringLiteral("wayland-") + (real.isEmpty() ? socket : real);
}

}  // namespace stylorex
