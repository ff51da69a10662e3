#pragma once

namespace stylorex {

// The program without arguments: the widget application and the main window on the session's
// pointer, until the window closes. Returns the exit code.
int RunMainWindow(int argc, char** argv);

}  // namespace stylorex
