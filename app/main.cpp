#include "cli/command_line.h"
#include "settings/language.h"
#include "ui/main_window_start.h"

#include <cstdio>

// With arguments, the command line's commands (no window, no widget application); without, the
// main window.
int main(int argc, char** argv) {
    // Before any text is made: both speak the language the settings or the environment choose.
    stylorex::InstallTranslations(stylorex::StartupLanguage());
    if (argc > 1) {
        return stylorex::RunCommandLine(stylorex::ArgumentsOf(argc, argv), stdout, stderr);
    }
    return stylorex::RunMainWindow(argc, argv);
}
