#pragma once

#include <QByteArray>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace stylorex {

// One connection to sway's IPC socket: messages of the i3 IPC format ("i3-ipc", payload
// length, type, payload).
class SwayIpc {
  public:
    enum Type : std::uint32_t {
        RunCommand = 0,
        Subscribe = 2,
        GetTree = 4,
        GetVersion = 7,
        // Events carry the high bit; a binding's event says which command it ran.
        BindingEvent = 0x80000005,
    };
    struct Message {
        std::uint32_t type = 0;
        QByteArray payload;
    };

    // Connects to the socket at `path` (sway exports it as SWAYSOCK to what it starts); null
    // when nothing answers there.
    static std::unique_ptr<SwayIpc> connect(const QByteArray& path);
    ~SwayIpc();
    SwayIpc(const SwayIpc&) = delete;
    SwayIpc& operator=(const SwayIpc&) = delete;

    // Sends a request and returns its reply; nothing when the connection fails or sway does
    // not answer within a second.
    std::optional<QByteArray> request(Type type, const QByteArray& payload);
    // Runs sway commands; whether sway reports every one a success.
    bool command(const QByteArray& commands);
    // Subscribes to the events named in `events`, a JSON array such as ["binding"].
    bool subscribe(const QByteArray& events);
    // The events that have arrived, without waiting (one system call when none has).
    std::vector<Message> takeEvents();
    // Waits up to `limit` for at least one event.
    std::vector<Message> waitForEvents(std::chrono::milliseconds limit);

  private:
    explicit SwayIpc(int fd) : fd_(fd) {}
    bool send(Type type, const QByteArray& payload);
    // Reads what is there (waiting up to `timeoutMs` for the first bytes) into `received_`;
    // false when the connection is gone.
    bool receive(int timeoutMs);
    std::optional<Message> nextMessage();

    int fd_;
    QByteArray received_;
    std::vector<Message> events_;  // events that came while waiting for a reply
};

// The Esc key watched through sway's key bindings: during a run, a binding on the release of
// Esc that runs nothing (`nop` with a tag of ours) makes sway send a binding event on the IPC
// socket, while the focused window still receives the key. Plain, --no-repeat and --inhibited
// bindings would swallow it. The binding exists only between start() and stop(): sway keeps
// runtime bindings until its configuration is reloaded, and a leftover one only wastes an
// event.
class SwayEscWatch {
  public:
    // Null when SWAYSOCK is not set or sway does not answer there.
    static std::unique_ptr<SwayEscWatch> open();
    ~SwayEscWatch();
    SwayEscWatch(const SwayEscWatch&) = delete;
    SwayEscWatch& operator=(const SwayEscWatch&) = delete;

    // Subscribes to binding events, then adds the binding; whether both worked.
    bool start();
    // Removes the binding, then the subscription. Does nothing when not started.
    void stop();
    // True when Esc has been released since the previous call.
    bool pressed();

  private:
    SwayEscWatch(QByteArray path, std::unique_ptr<SwayIpc> commands)
        : path_(std::move(path)), commands_(std::move(commands)) {}

    QByteArray path_;
    std::unique_ptr<SwayIpc> commands_;
    std::unique_ptr<SwayIpc> events_;  // subscribed while started
    bool bound_ = false;
};

}  // namespace stylorex
