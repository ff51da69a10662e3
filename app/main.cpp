#include "cli/command_line.h"
#include "ui/main_window_start.h"

#include <cstdio>

// With arguments, the command line's commands (no window, no widget application); without, the
// main window.
int main(int argc, char** argv) {
    if (argc > 1) {
        return stylorex::RunCommandLine(stylorex::ArgumentsOf(argc, argv), stdout, stderr);
    }
    return stylorex::RunMainWindow(argc, argv);
}
