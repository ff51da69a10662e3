#include "tests/x11/x11_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace stylorex::testing {

X11Session::X11Session() {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) {
        ADD_FAILURE() << "x11 tests need an X server in DISPLAY (scripts/test starts Xvfb)";
        std::abort();
    }
}

X11Session::~X11Session() {
    restore();
    XCloseDisplay(display_);
}

void X11Session::settle() {
    XSync(display_, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
}

void X11Session::pressEsc() {
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, XK_Escape), True, CurrentTime);
    settle();
}

void X11Session::releaseEsc() {
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, XK_Escape), False, CurrentTime);
    settle();
}

void X11Session::tapEsc() {
    const unsigned code = XKeysymToKeycode(display_, XK_Escape);
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    settle();
}

void X11Session::moveTo(int x, int y) {
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    XSync(display_, False);
}

int X11Session::screenWidth() const {
    return DisplayWidth(display_, DefaultScreen(display_));
}

int X11Session::screenHeight() const {
    return DisplayHeight(display_, DefaultScreen(display_));
}

void X11Session::pressLeftButton() {
    XTestFakeButtonEvent(display_, 1, True, CurrentTime);
    XSync(display_, False);
}

void X11Session::restore() {
    char keys[32] = {};
    XQueryKeymap(display_, keys);
    // Any key a test left down (Esc, Enter held to start a run) would hold the next run back.
    for (unsigned code = 8; code < 256; ++code) {
        if ((static_cast<unsigned char>(keys[code / 8]) >> (code % 8)) & 1U) {
            XTestFakeKeyEvent(display_, code, False, CurrentTime);
        }
    }
    ReleaseLeftButtonIfDown(display_);
    XSync(display_, False);
}

bool Eventually(const std::function<bool()>& condition, int ms, int pollMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        Pause(pollMs);
    }
    return true;
}

void Pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::unique_ptr<X11Pointer> OpenBackend() {
    QString error;
    auto pointer = X11Pointer::open(&error);
    EXPECT_NE(pointer, nullptr) << error.toStdString();
    return pointer;
}

}  // namespace stylorex::testing
