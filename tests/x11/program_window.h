#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "tests/x11/target_program.h"
#include "tests/x11/target_window.h"

class QProcess;
typedef struct _XDisplay Display;

namespace stylorex::testing {

// Types one key through XTest, with Control or Shift held when asked, and syncs.
void TypeKey(Display* display, unsigned long keysym, bool control = false, bool shift = false);
// A left click at a root position through XTest.
void ClickAt(Display* display, QPoint root);

// A mapped top-level window of process `pid` whose title starts with "Stylorex".
std::optional<unsigned long> FindProgramWindow(Display* display, long long pid);

// Copies the program to `copy` and makes the copy executable: the program keeps its settings
// file beside its executable, so each test runs a copy in a folder of its own.
void CopyProgram(const QString& program, const QString& copy);
// Starts `program` on the X server in DISPLAY (not offscreen), its output forwarded to the
// test's, and waits until the process runs.
void StartOnX11(QProcess& process, const QString& program);
// Starts `owner` (the clipboard owner program of the tests) to put `pngFile` on the clipboard
// as another program's "Copy" does, and waits until it owns the clipboard. With `mimeType`, the
// file's bytes go on the clipboard as they are, under that type.
void CopyInAnotherProgram(QProcess& owner, const QString& ownerProgram, const QString& pngFile,
                          const QString& mimeType = {});
// Waits up to 15 s for the main window of the program running as `process` to appear.
std::optional<unsigned long> WaitForProgramWindow(Display* display, const QProcess& process);
// Kills the process if it still runs and waits for it to end, so that no test leaves it behind.
void StopProgram(QProcess& process);
// Gives a window the keyboard as a user's click on it would: there is no window manager on the
// test server to do it.
void GiveKeyboard(Display* display, unsigned long window);

// Whether the program's title says a run is drawing or has finished.
bool TitleShowsRun(const QString& title);
// Tab then Enter, up to 40 times, each followed by up to 300 ms for `title` to show a run, as
// the instructions on the window tell a user to do after Ctrl+G. Whether a run started.
bool TabAndEnterUntilRunStarts(Display* display, const std::function<QString()>& title);

// Where the program's main window lies: its client area on the root window and the height of
// its menu bar, read from the window's size (the window is made exactly that much taller than
// its design client height).
struct ProgramGeometry {
    QPoint origin;  // the window's top-left on the root window
    int width = 0;
    int height = 0;
    int menuBarHeight = 0;
    // A point of the central area (below the menu bar) on the root window.
    QPoint central(int x, int y) const { return origin + QPoint(x, menuBarHeight + y); }
    // A point of the bottom panel: it sits below the viewport and its scroll bar, which the
    // window's layout sizes from the window's outer height.
    QPoint bottomPanel(int x, int y) const;
};
std::optional<ProgramGeometry> ReadProgramGeometry(Display* display, unsigned long window);

// What is on the screen inside `rect` (root coordinates), read through XGetImage.
QImage ScreenPixels(Display* display, int x, int y, int width, int height);

// Black line art on white, `side` pixels square (at least 200), drawn without antialiasing: a
// rectangle, a two-pixel-thick bar, a diagonal, a vertical, a circle and a lone dot, kept
// apart so that each survives a JPEG round trip as it is. Pixel (0, 0) is white.
QImage LineArt(int side);
// `count` × `count` isolated black pixels on white, `spacing` pixels apart: every one a stroke
// of its own, a press and a release with no move between.
QImage IsolatedDots(int count, int spacing);

// The line pixels of `picture` in mode 1 with the threshold 80: all three channels at or below
// 80, read directly from the picture.
std::set<std::pair<int, int>> DarkPixels(const QImage& picture);

// The pixels a run drew: the positions of presses, releases and of motions with the button
// held, relative to the origin.
std::set<std::pair<int, int>> DrawnPixels(const std::vector<ReceivedEvent>& events, int originX,
                                          int originY);

// The events a drawing run of `picture` (mode 1, threshold 80) makes a target window receive,
// with repeated motions dropped: stroke by stroke as the engine's scan and tracer order them.
std::vector<ReceivedEvent> ExpectedRunEvents(const QImage& picture, int originX, int originY);

// The events of a run's strokes among those a target received: the motions after the last
// release are the pointer leaving the picture's area before the check reads it back, and are
// dropped once each lies outside `area` (else they stay, for the comparison to show them).
std::vector<ReceivedEvent> StrokeEvents(std::vector<ReceivedEvent> events, const QRect& area);

}  // namespace stylorex::testing
