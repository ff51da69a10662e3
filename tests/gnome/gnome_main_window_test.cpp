// The main window on a headless Mutter, on Qt's Wayland platform, used as on a GNOME desktop.
#include "tests/wayland/desktop_window.h"

#include <gtest/gtest.h>

namespace stylorex::testing {
namespace {

TEST(GnomeMainWindow, PickDrawAndStopThroughTheWindow) {
    HeadlessMutter mutter;
    DrawThroughTheWindowAndStopWithEscInIt(mutter, "test_gnome_main_window");
}

}  // namespace
}  // namespace stylorex::testing
