#pragma once

#include "tests/wayland/headless_desktop.h"

namespace stylorex::testing {

// The main window on Qt's Wayland platform on `desktop`, used as on that desktop: the origin and
// the picture's size picked by a drag on "描画範囲を選ぶ"'s still of the screen; the origin
// picked with Ctrl+G where the user's pointer stands; "処理" after the question that names the
// way to stop, the strokes exactly in a client of the test's own; then a run stopped by Esc in
// the window. `name` is the test program's name, for the application object.
void DrawThroughTheWindowAndStopWithEscInIt(HeadlessDesktop& desktop, const char* name);

}  // namespace stylorex::testing
