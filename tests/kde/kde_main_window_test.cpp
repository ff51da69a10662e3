// The main window on a headless KWin, on Qt's Wayland platform, used as on a KDE Plasma
// desktop.
#include "tests/wayland/desktop_window.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace stylorex::testing {
namespace {

TEST(KdeMainWindow, PickDrawAndStopThroughTheWindow) {
    HeadlessKWin kwin({std::filesystem::read_symlink("/proc/self/exe").string()});
    DrawThroughTheWindowAndStopWithEscInIt(kwin, "test_kde_main_window");
}

}  // namespace
}  // namespace stylorex::testing
