#pragma once

#include "tests/wayland/recording_client.h"
#include "tests/x11/target_window.h"

#include <string>
#include <vector>

namespace stylorex::testing {

// What the recording client (placed at kTargetX, kTargetY) received, in screen coordinates and
// in the x11 tests' terms: entering the window is the move that brought the pointer in.
std::vector<ReceivedEvent> OnScreen(const std::vector<SurfaceEvent>& events);

// Where two long event lists first part, for a failure message.
std::string FirstDifference(const std::vector<ReceivedEvent>& got,
                            const std::vector<ReceivedEvent>& expected);

}  // namespace stylorex::testing
