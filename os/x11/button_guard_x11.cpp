#include "os/x11/button_guard_x11.h"

#include "os/x11/x11_connections.h"
#include "os/x11/x11_pointer.h"

#include <string>

#include <cerrno>

#include <sys/socket.h>
#include <unistd.h>

// Xlib comes after every Qt header: its macros (None, Bool, Status...) would clash with Qt's.
#include <X11/Xlib.h>
#include <X11/Xmd.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/xtestproto.h>

namespace stylorex {

namespace {

class XTestGuardianPorts : public PipeGuardianPorts {
  public:
    XTestGuardianPorts(int fd, pid_t program, Display* display)
        : PipeGuardianPorts(fd, program), display_(display) {}
    void releaseButton() override {
        replaceIfClosed();
        ReleaseLeftButtonIfDown(display_);
    }

  protected:
    int connectionFd() const override { return ConnectionNumber(display_); }
    // The server sends the guardian nothing it asked for: what comes is read and dropped.
    bool connectionReadable() override {
        if (replaceIfClosed()) {
            return true;
        }
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
        }
        return false;
    }

  private:
    // A connection another client closed (XKillClient) is replaced at once, so that a program
    // killed before it ends its run still has its button released; the old one is left as it
    // is, since Xlib cannot close a dead connection without ending the process. With the server
    // gone, the guardian ends (endGuardianOnLostServer). True when it was replaced.
    bool replaceIfClosed() {
        char byte = 0;
        const ssize_t peeked =
            ::recv(ConnectionNumber(display_), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
        if (peeked > 0 || (peeked < 0 && (errno == EAGAIN || errno == EINTR))) {
            return false;
        }
        Display* fresh = XOpenDisplay(nullptr);
        if (fresh == nullptr) {
            ::_exit(1);
        }
        display_ = fresh;
        return true;
    }

    Display* display_;
};

int endGuardianOnLostServer(Display*) {
    ::_exit(1);
}

// The guardian mode, entered before main() and before the constructors of the executable's
// other static objects (only the shared libraries' own initialisers have run): nothing of the
// program, or of a test program that links the backend, runs in a guardian. Linked in wherever
// the X11 backend is.
__attribute__((constructor(101))) void runGuardianInsteadOfProgram() {
    int fd = -1;
    pid_t program = 0;
    if (!GuardianModeRequested(&fd, &program, kX11Guardian)) {
        return;
    }
    XSetIOErrorHandler(endGuardianOnLostServer);
    Display* display = XOpenDisplay(nullptr);
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    if (display == nullptr || !XTestQueryExtension(display, &event, &error, &major, &minor)) {
        ::_exit(1);  // the program hears no kReady and says that protection is off
    }
    ReportGuardianReady(fd);
    XTestGuardianPorts ports(fd, program, display);
    RunButtonGuardian(ports);
    ::_exit(0);
}

// A core XTest button release, as XTestFakeButtonEvent would send it.
xXTestFakeInputReq ReleaseRequest(int xtestOpcode) {
    xXTestFakeInputReq request{};
    request.reqType = static_cast<CARD8>(xtestOpcode);
    request.xtReqType = X_XTestFakeInput;
    request.length = sz_xXTestFakeInputReq / 4;
    request.type = ButtonRelease;
    request.detail = 1;
    request.time = CurrentTime;
    return request;
}
static_assert(sizeof(xXTestFakeInputReq) == sz_xXTestFakeInputReq);

}  // namespace

X11ButtonGuard::X11ButtonGuard() {
    std::string error;
    guardian_ = ButtonGuardian::start(&error);
    if (!guardian_) {
        ReportCrashProtectionOff(error);
    }
    spare_ = OpenX11Connection(X11Role::Spare);
    int opcode = 0;
    int event = 0;
    int errorBase = 0;
    if (spare_ != nullptr && XQueryExtension(spare_, "XTEST", &opcode, &event, &errorBase)) {
        XSync(spare_, False);  // nothing of Xlib's may be left unsent before the handler's bytes
        const xXTestFakeInputReq request = ReleaseRequest(opcode);
        lastWrite_ =
            std::make_unique<FatalSignalWrite>(ConnectionNumber(spare_), &request, sizeof request);
    }
}

X11ButtonGuard::~X11ButtonGuard() {
    lastWrite_.reset();
    CloseX11Connection(spare_);
}

bool X11ButtonGuard::restartGuardian(std::string* error) {
    guardian_.reset();
    guardian_ = ButtonGuardian::start(error);
    return guardian_ != nullptr;
}

void X11ButtonGuard::releaseElsewhere() {
    if (spare_ != nullptr && !X11ConnectionLost(spare_)) {
        // Synced: nothing of Xlib's is left unsent before a fatal signal's bytes.
        ReleaseLeftButtonIfDown(spare_);
        if (!X11ConnectionLost(spare_)) {
            released();
            return;
        }
    }
    if (guardian_) {
        guardian_->releaseNow();
    }
}

void X11ButtonGuard::pressing() {
    if (guardian_) {
        guardian_->buttonDown();
    }
    if (lastWrite_) {
        lastWrite_->arm(true);
    }
}

void X11ButtonGuard::released() {
    if (lastWrite_) {
        lastWrite_->arm(false);
    }
    if (guardian_) {
        guardian_->buttonUp();
    }
}

}  // namespace stylorex
