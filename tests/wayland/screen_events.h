#pragma once

#include "tests/wayland/recording_client.h"
#include "tests/x11/target_window.h"

#include <QPoint>

#include <string>
#include <vector>

namespace stylorex::testing {

// What the recording client (its window's top-left at `windowAt`) received, in screen
// coordinates and in the x11 tests' terms: entering the window is the move that brought the
// pointer in.
std::vector<ReceivedEvent> OnScreen(const std::vector<SurfaceEvent>& events,
                                    QPoint windowAt = QPoint(kTargetX, kTargetY));

// Where two long event lists first part, for a failure message.
std::string FirstDifference(const std::vector<ReceivedEvent>& got,
                            const std::vector<ReceivedEvent>& expected);

}  // namespace stylorex::testing
