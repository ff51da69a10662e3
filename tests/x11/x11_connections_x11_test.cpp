// The program's own connections when another client closes one (XKillClient), on a real server.
#include "os/x11/x11_connections.h"

#include "tests/x11/x11_session.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>

namespace stylorex {
namespace {

using testing::X11Session;

// Closed by another client and then closed here, before anything else read it: the close finds
// the loss and the process goes on. Nothing used the connection any more, so no loss is told;
// the connections opened next (at the same address, as like as not) start with none.
TEST(X11Connections, ClosingAConnectionAnotherClientClosedLeavesTheProcessAndTheOthersAlone) {
    X11Session killer;
    Display* keys = OpenX11Connection(X11Role::Keys);
    ASSERT_NE(keys, nullptr);
    ASSERT_FALSE(LostX11ConnectionMessage().has_value());
    // A resource of the connection names the client to close.
    const Pixmap pixmap = XCreatePixmap(keys, DefaultRootWindow(keys), 1, 1, 1);
    XSync(keys, False);
    XKillClient(killer.display(), pixmap);
    XSync(killer.display(), False);

    CloseX11Connection(keys);
    EXPECT_FALSE(LostX11ConnectionMessage().has_value());

    for (int i = 0; i < 3; ++i) {
        Display* next = OpenX11Connection(X11Role::Pointer);
        ASSERT_NE(next, nullptr);
        XSync(next, False);
        EXPECT_FALSE(X11ConnectionLost(next)) << i;
        CloseX11Connection(next);
    }
}

}  // namespace
}  // namespace stylorex
