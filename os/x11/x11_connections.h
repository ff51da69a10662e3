#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <vector>

typedef struct _XDisplay Display;

namespace stylorex {

// The program's own Xlib connections (Qt keeps its own). Xlib's default on a lost connection
// (another client's XKillClient, the server gone) is to end the process, with the button
// possibly held and nothing said. On these, a loss is noted instead, and every later call on
// the connection does nothing, so that a run can end in order: release the button through
// another connection and tell the user which one was lost. A loss is seen when a call uses the
// connection, or earlier by whoever polls its socket (NoteX11ConnectionHungUp).
enum class X11Role {
    Pointer,  // XTest moves and buttons
    Keys,     // the Esc key
    Spare,    // the button's release prepared for a fatal signal
    Screen,   // the screen read back
};

// Opens a connection to DISPLAY for `role`; null when it cannot.
Display* OpenX11Connection(X11Role role);
// Closes and forgets it (also after a loss), on the thread that used it last: Xlib keeps a
// connection found lost locked to the thread that found it. A loss that only the close finds is
// not told: nothing uses the connection any more.
void CloseX11Connection(Display* display);
// The connections open now and their sockets, for a watcher that polls them for a hang-up.
std::vector<std::pair<Display*, int>> OpenX11Connections();
// Its socket has hung up.
void NoteX11ConnectionHungUp(Display* display);
bool X11ConnectionLost(Display* display);
// The message for the first connection lost, if one was: which one and what follows. Costs one
// atomic load while none was.
std::optional<QString> LostX11ConnectionMessage();

}  // namespace stylorex
