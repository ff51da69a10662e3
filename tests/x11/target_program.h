#pragma once

#include <QPoint>
#include <QRect>
#include <QRgb>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QImage;
typedef struct _XDisplay Display;

namespace stylorex::testing {

// Another maker's program that a test draws into (a paint program, a browser), on the X server
// in DISPLAY for as long as the object lives, with a temporary folder of its own (its HOME or
// its profile) that goes with it. Its output is dropped, and it keeps no descriptor beyond the
// standard three: a lock held by whoever started the test is not held on by a program that
// outlives it. Ended with SIGTERM, and SIGKILL 5 s later.
class TargetProgram {
  public:
    // The folder is made as stylorex-`name`-XXXXXX in the temporary folder.
    explicit TargetProgram(const QString& name);
    ~TargetProgram();
    TargetProgram(const TargetProgram&) = delete;
    TargetProgram& operator=(const TargetProgram&) = delete;

    // The temporary folder; empty when it could not be made.
    QString folder() const { return folder_.isValid() ? folder_.path() : QString(); }
    // Starts `arguments` (the first one looked up on the PATH) with the test's environment, where
    // `environment` (NAME=value each) replaces or adds variables. With `ownGroup`, the program and
    // every process it starts are a process group of their own, all ended together. Whether it
    // started.
    bool start(const std::vector<std::string>& arguments,
               const std::vector<std::string>& environment = {}, bool ownGroup = false);
    pid_t pid() const { return pid_; }

  private:
    QTemporaryDir folder_;
    pid_t pid_ = -1;
    bool group_ = false;
};

// The UTF-8 title of a window (_NET_WM_NAME), as a window manager would read it.
QString WindowTitle(Display* display, unsigned long window);
// The process id a client put on its window (_NET_WM_PID), or -1.
long long WindowPid(Display* display, unsigned long window);
// A viewable window that `matches`, among the root's children and, two levels further, theirs: a
// window manager puts each top-level window into a frame of its own. 0 when there is none.
unsigned long FindViewableWindow(Display* display,
                                 const std::function<bool(unsigned long)>& matches);

// Where in `shown` a blank canvas of `size` in `colour` lies: the top-left of the first such
// area whose rows are runs of exactly its width (a paint program's image on its grey desk).
std::optional<QPoint> FindBlankArea(const QImage& shown, QSize size, QRgb colour);
// Asks, every `pollMs` for up to `ms`, what `window` shows on the screen (the whole screen for
// window 0) for a blank canvas of `size` in `colour`: where it lies on the screen, or nullopt;
// `error` says why when the screen cannot be read at all.
std::optional<QRect> WaitForBlankCanvas(Display* display, unsigned long window, QSize size,
                                        QRgb colour, int ms, int pollMs, QString* error);
// One pixel of the screen, read on a connection of its own.
std::optional<QRgb> ScreenPixel(QPoint at);

}  // namespace stylorex::testing
