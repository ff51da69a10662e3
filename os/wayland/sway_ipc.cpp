#include "os/wayland/sway_ipc.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace stylorex {

namespace {

constexpr char kMagic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr int kHeaderSize = sizeof(kMagic) + 2 * sizeof(std::uint32_t);
constexpr int kReplyLimitMs = 1000;
constexpr std::uint32_t kEventBit = 0x80000000U;

// The binding's command; its event names it, which tells our binding from the user's.
const QByteArray kEscCommand = QByteArrayLiteral("nop stylorex-escape");

}  // namespace

std::unique_ptr<SwayIpc> SwayIpc::connect(const QByteArray& path) {
    sockaddr_un address{};
    if (path.isEmpty() || static_cast<std::size_t>(path.size()) >= sizeof(address.sun_path)) {
        return nullptr;
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return nullptr;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        close(fd);
        return nullptr;
    }
    return std::unique_ptr<SwayIpc>(new SwayIpc(fd));
}

SwayIpc::~SwayIpc() {
    close(fd_);
}

bool SwayIpc::send(Type type, const QByteArray& payload) {
    QByteArray message(kMagic, sizeof(kMagic));
    const std::uint32_t header[2] = {static_cast<std::uint32_t>(payload.size()), type};
    message.append(reinterpret_cast<const char*>(header), sizeof(header));
    message.append(payload);
    const char* data = message.constData();
    qsizetype left = message.size();
    while (left > 0) {
        const ssize_t sent = ::send(fd_, data, static_cast<std::size_t>(left), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += sent;
        left -= sent;
    }
    return true;
}

bool SwayIpc::receive(int timeoutMs) {
    pollfd input{fd_, POLLIN, 0};
    int ready = 0;
    do {
        ready = poll(&input, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) {
        return ready == 0;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t got = recv(fd_, buffer, sizeof(buffer), MSG_DONTWAIT);
        if (got > 0) {
            received_.append(buffer, got);
            continue;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        // 0: sway closed the connection; EAGAIN: all read.
        return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

std::optional<SwayIpc::Message> SwayIpc::nextMessage() {
    if (received_.size() < kHeaderSize) {
        return std::nullopt;
    }
    std::uint32_t header[2];
    std::memcpy(header, received_.constData() + sizeof(kMagic), sizeof(header));
    const qsizetype size = kHeaderSize + static_cast<qsizetype>(header[0]);
    if (received_.size() < size) {
        return std::nullopt;
    }
    Message message{header[1], received_.mid(kHeaderSize, size - kHeaderSize)};
    received_.remove(0, size);
    return message;
}

std::optional<QByteArray> SwayIpc::request(Type type, const QByteArray& payload) {
    if (!send(type, payload)) {
        return std::nullopt;
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kReplyLimitMs);
    for (;;) {
        while (std::optional<Message> message = nextMessage()) {
            if ((message->type & kEventBit) != 0) {
                events_.push_back(std::move(*message));
            } else if (message->type == type) {
                return message->payload;
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !receive(static_cast<int>(left.count()) + 1)) {
            return std::nullopt;
        }
    }
}

bool SwayIpc::command(const QByteArray& commands) {
    const std::optional<QByteArray> reply = request(RunCommand, commands);
    if (!reply) {
        return false;
    }
    const QJsonArray results = QJsonDocument::fromJson(*reply).array();
    if (results.isEmpty()) {
        return false;
    }
    for (const QJsonValue& result : results) {
        if (!result.toObject().value(QStringLiteral("success")).toBool()) {
            return false;
        }
    }
    return true;
}

bool SwayIpc::subscribe(const QByteArray& events) {
    const std::optional<QByteArray> reply = request(Subscribe, events);
    return reply &&
           QJsonDocument::fromJson(*reply).object().value(QStringLiteral("success")).toBool();
}

std::vector<SwayIpc::Message> SwayIpc::takeEvents() {
    receive(0);
    while (std::optional<Message> message = nextMessage()) {
        events_.push_back(std::move(*message));
    }
    return std::exchange(events_, {});
}

std::vector<SwayIpc::Message> SwayIpc::waitForEvents(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        std::vector<Message> events = takeEvents();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (!events.empty() || left.count() <= 0 || !receive(static_cast<int>(left.count()) + 1)) {
            return events;
        }
    }
}

std::unique_ptr<SwayEscWatch> SwayEscWatch::open() {
    const QByteArray path = qgetenv("SWAYSOCK");
    std::unique_ptr<SwayIpc> commands = SwayIpc::connect(path);
    if (!commands || !commands->request(SwayIpc::GetVersion, {})) {
        return nullptr;
    }
    return std::unique_ptr<SwayEscWatch>(new SwayEscWatch(path, std::move(commands)));
}

SwayEscWatch::~SwayEscWatch() {
    stop();
}

bool SwayEscWatch::start() {
    stop();
    events_ = SwayIpc::connect(path_);
    if (!events_ || !events_->subscribe(QByteArrayLiteral("[\"binding\"]"))) {
        events_.reset();
        return false;
    }
    bound_ = commands_->command(QByteArrayLiteral("bindsym --release Escape ") + kEscCommand);
    return bound_;
}

void SwayEscWatch::stop() {
    if (bound_) {
        commands_->command(QByteArrayLiteral("unbindsym --release Escape"));
        bound_ = false;
    }
    events_.reset();
}

bool SwayEscWatch::pressed() {
    if (!events_) {
        return false;
    }
    bool released = false;
    for (const SwayIpc::Message& event : events_->takeEvents()) {
        if (event.type != SwayIpc::BindingEvent) {
            continue;
        }
        const QJsonObject binding = QJsonDocument::fromJson(event.payload)
                                        .object()
                                        .value(QStringLiteral("binding"))
                                        .toObject();
        if (binding.value(QStringLiteral("command")).toString().toUtf8() == kEscCommand) {
            released = true;
        }
    }
    return released;
}

}  // namespace stylorex
