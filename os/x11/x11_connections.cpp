#include "os/x11/x11_connections.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>

// Xlib after every Qt header: its macros would clash with Qt's.
#include <X11/Xlib.h>

namespace stylorex {

namespace {

struct Connection {
    std::atomic<Display*> display{nullptr};
    // Set instead of `display` while CloseX11Connection closes it.
    std::atomic<Display*> closing{nullptr};
    X11Role role = X11Role::Pointer;
    std::atomic<bool> lost{false};
};

// A pointer and a screen at a time have four; tests open a few more.
std::array<Connection, 16> g_connections;
std::atomic<int> g_lostRole{-1};
std::mutex g_registration;
XIOErrorHandler g_previousHandler = nullptr;

QString roleName(X11Role role) {
    switch (role) {
        case X11Role::Pointer:
            return QCoreApplication::translate("X11Connections", "マウスポインタの操作");
        case X11Role::Keys:
            return QCoreApplication::translate("X11Connections", "Esc キーの監視");
        case X11Role::Spare:
            return QCoreApplication::translate("X11Connections", "ボタンを離す予備");
        case X11Role::Screen:
            return QCoreApplication::translate("X11Connections", "画面の読み取り");
    }
    return {};
}

Connection* find(Display* display) {
    for (Connection& connection : g_connections) {
        if (display != nullptr && connection.display.load() == display) {
            return &connection;
        }
    }
    return nullptr;
}

void noteLost(Connection& connection) {
    if (connection.lost.exchange(true)) {
        return;
    }
    int none = -1;
    g_lostRole.compare_exchange_strong(none, static_cast<int>(connection.role));
}

bool beingClosed(Display* display) {
    return std::any_of(g_connections.begin(), g_connections.end(),
                       [display](const Connection& c) { return c.closing.load() == display; });
}

int noteIoError(Display* display) {
    if (Connection* connection = find(display)) {
        noteLost(*connection);
        return 0;  // the exit handler returns too: the connection is dead, the process lives
    }
    if (beingClosed(display)) {
        // Found by the close's own requests: nothing uses the connection any more, so its loss
        // matters to no run, and the process goes on.
        return 0;
    }
    return g_previousHandler != nullptr ? g_previousHandler(display) : 0;
}

void keepProcess(Display*, void*) {}

}  // namespace

Display* OpenX11Connection(X11Role role) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return nullptr;
    }
    const std::lock_guard lock(g_registration);
    static const bool installed = [] {
        g_previousHandler = XSetIOErrorHandler(noteIoError);
        return true;
    }();
    (void)installed;
    for (Connection& connection : g_connections) {
        if (connection.display.load() == nullptr && connection.closing.load() == nullptr) {
            connection.role = role;
            connection.lost = false;
            XSetIOErrorExitHandler(display, keepProcess, nullptr);
            connection.display = display;
            return display;
        }
    }
    return display;  // unwatched: a loss ends the process as Xlib's default does
}

void CloseX11Connection(Display* display) {
    if (display == nullptr) {
        return;
    }
    // Forgotten before its socket closes, so that a watcher polling the socket never takes the
    // close for a loss; yet known as closing until XCloseDisplay has returned, so that a loss its
    // requests find does not reach Xlib's default handler, which would end the process.
    Connection* connection = nullptr;
    {
        const std::lock_guard lock(g_registration);
        connection = find(display);
        if (connection != nullptr) {
            connection->closing = display;
            connection->display = nullptr;
        }
    }
    XCloseDisplay(display);
    if (connection != nullptr) {
        const std::lock_guard lock(g_registration);
        connection->closing = nullptr;
    }
}

std::vector<std::pair<Display*, int>> OpenX11Connections() {
    const std::lock_guard lock(g_registration);
    std::vector<std::pair<Display*, int>> open;
    for (const Connection& connection : g_connections) {
        if (Display* display = connection.display.load(); display != nullptr && !connection.lost) {
            open.emplace_back(display, ConnectionNumber(display));
        }
    }
    return open;
}

void NoteX11ConnectionHungUp(Display* display) {
    if (Connection* connection = find(display)) {
        noteLost(*connection);
    }
}

bool X11ConnectionLost(Display* display) {
    const Connection* connection = find(display);
    return connection != nullptr && connection->lost.load();
}

std::optional<QString> LostX11ConnectionMessage() {
    const int role = g_lostRole.load(std::memory_order_relaxed);
    if (role < 0) {
        return std::nullopt;
    }
    return QCoreApplication::translate(
               "X11Connections",
               "X サーバーとの接続（%1）が切れました。描画はできません。Stylorex "
               "を起動し直してください。")
        .arg(roleName(static_cast<X11Role>(role)));
}

}  // namespace stylorex
