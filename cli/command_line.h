#pragma once

#include "engine/colour_reduction.h"
#include "engine/run_check.h"

#include <QPoint>
#include <QRgb>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <optional>

namespace stylorex {

// How the program ends when started with arguments.
namespace exit_code {
constexpr int kDone = 0;      // drawn and checked (exact, or within the pen), or the plan shown
constexpr int kFailed = 1;    // the picture, the display or the session refused
constexpr int kUsage = 2;     // the arguments are wrong
constexpr int kAborted = 3;   // Esc, the mouse, a job-control stop or a signal stopped the run
constexpr int kNotExact = 4;  // drawn to the end, but the check found it wrong or could not check
}  // namespace exit_code

// What `stylorex draw` was asked to do. Settings left empty come from the saved settings file.
struct DrawOptions {
    QString picture;
    // The origin on the screen; empty with atPointer.
    std::optional<QPoint> at;
    // The origin is where the pointer stands when the run begins.
    bool atPointer = false;
    double delaySeconds = 0;
    std::optional<std::int16_t> waitMs;
    // 1 dark pixels, 2 everything that is not white (the extraction's PickUpPattern).
    std::optional<std::int32_t> mode;
    // Draw in the palette's inks (true: --mode colour or --palette) or in one ink (false: a
    // one-ink mode given); empty: as saved (ColourMode).
    std::optional<bool> colour;
    // A palette file (ReadPaletteFile, run/palette_settings.h), the dithering, the target canvas's
    // colour and the time budget of a run in colour; empty: as saved.
    QString paletteFile;
    std::optional<Dithering> dithering;
    std::optional<QRgb> background;
    std::optional<double> withinSeconds;
    std::optional<std::int32_t> black;
    std::optional<std::int32_t> white;
    // Wait for the target's ink instead of the fixed wait (the follow mode), and move only to
    // the ends of straight runs; empty: as saved.
    std::optional<bool> follow;
    std::optional<bool> joinRuns;
    // The target's pen in pixels across; empty: as saved. The check after the run: empty for
    // the one the pen asks for (CheckChoice::Auto).
    std::optional<std::int32_t> penWidth;
    std::optional<CheckChoice> check;
    bool crop = false;
    // A picture larger than the largest canvas is scaled down to fit it, its aspect kept and its
    // lines kept (FitPictureWithin, canvas/picture_fit.h), as the window's "画像に合わせて読み込む"
    // does; never together with crop.
    bool fit = false;
    bool plan = false;
    // Where the picture of the plan goes; set, it implies plan.
    QString planImage;
    bool json = false;
    // Draw also where Esc cannot stop the run.
    bool yes = false;
};

struct CommandLine {
    enum class Kind { Window, Help, Version, Draw, UsageError };
    Kind kind = Kind::Window;
    DrawOptions draw;
    // With UsageError: what is wrong, in one line.
    QString error;
};

// Parses the program's arguments (the first is the program's name). No arguments: the window.
CommandLine ParseCommandLine(const QStringList& arguments);

// The text of --help, exit codes and examples included.
QString HelpText();
// The line after a usage error's message: where to read how the command is used.
QString HelpHint();

// Carries out a command line other than the window's, writing results to `out` and messages to
// `err`, and returns the exit code (exit_code). A usage error is one line and a hint to --help.
int RunCommandLine(const QStringList& arguments, std::FILE* out, std::FILE* err);

// The arguments of main() as text, file names decoded as the system names them.
QStringList ArgumentsOf(int argc, char** argv);

}  // namespace stylorex
