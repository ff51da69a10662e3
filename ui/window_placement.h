#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

class QWidget;

namespace stylorex {

// Where the main window lies on the desktop. It comes back where it was closed when that place
// lies wholly on a screen. At a first start it goes where it covers least of the other windows
// shown then (the program to draw into is usually one of them), the screen's left edge when
// several places cover as little. Either way it fits into the screen's room for windows, the
// window manager's frame included, once that frame is known.
class WindowPlacement {
  public:
    explicit WindowPlacement(QWidget& window) : window_(window) {}

    // Before the window is first shown: back to `saved` (its geometry at the last close; an empty
    // rectangle when none is known), or to the first start's place. The windows shown now are the
    // others: ours is not shown yet.
    void placeAtStart(const QRect& saved);
    // From the window's show, move and resize events.
    void windowShown();
    void windowMovedOrResized();
    // The geometry to keep for the next start (the normal one while maximised or minimised).
    QRect placeToKeep() const;

  private:
    bool restore(const QRect& saved);
    void placeAmongOthers();
    // Shrinks the window where it is larger than the screen's room for it, frame included.
    void fitIntoScreen();

    QWidget& window_;
    // The other windows at the start, in Qt's logical pixels.
    std::vector<QRect> others_;
    bool restored_ = false;
    bool placedAfterShow_ = false;
    bool fittedWithFrame_ = false;
};

// The top-left corner for a window whose frame has the size `frame` inside `room` where it
// covers the least area of `others` (the sum of its overlaps with each), the leftmost of such
// places, and of those the topmost. A frame larger than the room goes to its top-left corner.
QPoint LeastCoveringPlace(QSize frame, const QRect& room, const std::vector<QRect>& others);

}  // namespace stylorex
