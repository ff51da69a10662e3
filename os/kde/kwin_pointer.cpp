#include "os/kde/kwin_pointer.h"

#include "common/program_message.h"
#include "os/button_guardian.h"
#include "os/kde/kwin_cursor_watch.h"
#include "os/wayland/wayland_connection.h"

#include <linux/input-event-codes.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>

#include <fake-input-client.h>
#include <wayland-client.h>

#include <QCoreApplication>

namespace stylorex {

namespace {

// KWin hands every move on to the window under the pointer at once and disconnects a window
// that lets them pile up unread: a window that paused 50 ms after each frame it showed was
// disconnected after 1,146 moves sent at 7,600 a second (each awaited), and 1,568 at 10,000,
// and stayed connected at 5,000 a second. So the moves go out in batches, each no sooner than
// that rate allows. The waits of 1 ms and above leave the pace to the wait.
constexpr int kBatch = 16;
constexpr auto kBatchTime = std::chrono::microseconds(200) * kBatch;  // 5,000 moves a second

struct FakeInputBinding {
    org_kde_kwin_fake_input* input = nullptr;
};

const wl_registry_listener kRegistryListener = {
    .global =
        [](void* data, wl_registry* registry, std::uint32_t name, const char* interface,
           std::uint32_t version) {
            auto* binding = static_cast<FakeInputBinding*>(data);
            if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 &&
                binding->input == nullptr && version >= 3) {
                // Version 3 brought the absolute moves.
                binding->input = static_cast<org_kde_kwin_fake_input*>(wl_registry_bind(
                    registry, name, &org_kde_kwin_fake_input_interface, std::min(version, 4u)));
            }
        },
    .global_remove = [](void*, wl_registry*, std::uint32_t) {},
};

// Binds KWin's fake input on `display` and says who this program is; null when KWin does not
// offer it to this executable.
org_kde_kwin_fake_input* BindFakeInput(wl_display* display) {
    FakeInputBinding binding;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, &binding);
    wl_display_roundtrip(display);
    wl_registry_destroy(registry);
    if (binding.input != nullptr) {
        // KWin drops the events of a client that has not said who it is.
        org_kde_kwin_fake_input_authenticate(binding.input, "Stylorex",
                                             "draws a picture by moving the pointer");
        wl_display_roundtrip(display);
    }
    return binding.input;
}

void SendButton(org_kde_kwin_fake_input* input, bool pressed) {
    org_kde_kwin_fake_input_button(
        input, BTN_LEFT,
        pressed ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
}

// The guardian's part on KDE: a fake input device of its own, whose release KWin applies to
// the button however it went down (KWin keeps a button pressed by a client that died).
class KWinGuardianPorts : public PipeGuardianPorts {
  public:
    KWinGuardianPorts(int fd, pid_t program, wl_display* display, org_kde_kwin_fake_input* input)
        : PipeGuardianPorts(fd, program), display_(display), input_(input) {}
    void releaseButton() override {
        SendButton(input_, false);
        wl_display_roundtrip(display_);
    }

  private:
    wl_display* display_;
    org_kde_kwin_fake_input* input_;
};

// The guardian mode for KDE, entered before main() as the X11 backend's is.
__attribute__((constructor(101))) void runKWinGuardianInsteadOfProgram() {
    int fd = -1;
    pid_t program = 0;
    if (!GuardianModeRequested(&fd, &program, kKWinGuardian)) {
        return;
    }
    wl_display* display = wl_display_connect(nullptr);
    org_kde_kwin_fake_input* input = display != nullptr ? BindFakeInput(display) : nullptr;
    if (input == nullptr) {
        ::_exit(1);  // the program hears no kReady and says that protection is off
    }
    ReportGuardianReady(fd);
    KWinGuardianPorts ports(fd, program, display, input);
    RunButtonGuardian(ports);
    ::_exit(0);
}

}  // namespace

std::unique_ptr<KWinPointer> KWinPointer::open(std::shared_ptr<WaylandConnection> connection,
                                               std::shared_ptr<KWinCursorWatch> watch) {
    org_kde_kwin_fake_input* input = BindFakeInput(connection->display());
    if (input == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<KWinPointer>(
        new KWinPointer(std::move(connection), input, std::move(watch)));
}

KWinPointer::KWinPointer(std::shared_ptr<WaylandConnection> connection,
                         org_kde_kwin_fake_input* input, std::shared_ptr<KWinCursorWatch> watch)
    : PointerDevice(*this, *this),
      connection_(std::move(connection)),
      input_(input),
      watch_(std::move(watch)) {
    std::string error;
    guardian_ = ButtonGuardian::start(&error, kKWinGuardian);
    if (guardian_ == nullptr) {
        ReportCrashProtectionOff(error);
    }
}

KWinPointer::~KWinPointer() {
    try {
        if (pressed_) {
            button(false);
        }
        runEnded();
        // The protocol has no destructor request: the device goes with the connection.
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(input_));
        connection_->roundtrip();
    } catch (const std::runtime_error&) {
        // KWin is gone, and with it the device and its button.
    }
}

void KWinPointer::moveTo(int x, int y) {
    const QRect desktop = connection_->layout();
    if (desktop.isEmpty()) {
        return;  // no output: nowhere to move to
    }
    const QPoint where(std::clamp(x, desktop.left(), desktop.right()),
                       std::clamp(y, desktop.top(), desktop.bottom()));
    // Known before KWin can report the pointer there.
    stop_.moves().moved(where);
    org_kde_kwin_fake_input_pointer_motion_absolute(input_, wl_fixed_from_int(where.x()),
                                                    wl_fixed_from_int(where.y()));
    position_ = where;
    connection_->roundtrip();
    paced();
}

void KWinPointer::paced() {
    if (++sentInBatch_ < kBatch) {
        return;
    }
    std::this_thread::sleep_until(batchStart_ + kBatchTime);
    sentInBatch_ = 0;
    batchStart_ = std::chrono::steady_clock::now();
}

void KWinPointer::button(bool pressed) {
    // The guardian hears of a press before it is sent, of a release once KWin has applied it.
    if (pressed && guardian_ != nullptr) {
        guardian_->buttonDown();
    }
    SendButton(input_, pressed);
    pressed_ = pressed;
    connection_->roundtrip();
    if (!pressed && guardian_ != nullptr) {
        guardian_->buttonUp();
    }
}

void KWinPointer::pressLeft(int /*x*/, int /*y*/) {
    button(true);
}

void KWinPointer::releaseLeft(int /*x*/, int /*y*/) {
    button(false);
}

bool KWinPointer::escPressed() {
    return stop_.take();
}

QPoint KWinPointer::position() {
    return position_;
}

QSize KWinPointer::primaryScreenSize() {
    return connection_->layout().size();
}

QString KWinPointer::displayName() const {
    return WaylandDisplayName();
}

QString KWinPointer::whyEscCannotStop() const {
    return EscUnseenElsewhereText();
}

QString KWinPointer::stopAdvice() const {
    return StopByMovingThePointerText();
}

void KWinPointer::runStarting() {
    stop_.runStarting();
    if (watch_ != nullptr && !watch_->start([this](QPoint at) { stop_.moves().reported(at); })) {
        PrintProgramMessage(
            QCoreApplication::translate("KwinPointer",
                                        "KWin がポインタの位置を知らせるスクリプトを読み込みません"
                                        "でした。この描画はマウスを動かしても止まりません"
                                        "（Stylorex のウィンドウでの Esc では止まります）。"));
    }
}

void KWinPointer::runEnded() {
    if (watch_ != nullptr) {
        watch_->stop();
    }
    stop_.runEnded();
}

}  // namespace stylorex
