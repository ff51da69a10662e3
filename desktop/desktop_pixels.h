#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>

class QScreen;

namespace stylorex {

// Qt places windows and reports the mouse in logical pixels; the pointer, the screen read-back
// and the origin count desktop pixels. On X11 Qt scales on its own (QT_SCALE_FACTOR, the
// screen's dots per inch): a logical pixel is the screen's devicePixelRatio() desktop pixels
// there. A Wayland compositor's desktop is in logical pixels already (the compositor scales).
// Either way a screen's top-left corner has the same coordinates in both.

// Desktop pixels per logical pixel on `screen`.
double DesktopScale(const QScreen& screen);
// The screen's rectangle in desktop pixels.
QRect DesktopGeometry(const QScreen& screen);
// The desktop pixel that holds the logical point `logical` (global, on `screen`).
QPoint ToDesktop(const QScreen& screen, QPointF logical);
// The desktop pixels that the logical rectangle `logical` (global, on `screen`) covers: a
// window's frame, say.
QRect DesktopCover(const QScreen& screen, const QRect& logical);
// Where the desktop point `desktop` lies in global logical coordinates of `screen`.
QPointF ToLogical(const QScreen& screen, QPointF desktop);
// The screen whose desktop rectangle holds `desktop`; null when none does.
QScreen* ScreenAtDesktop(QPoint desktop);
// Whether a window of ours can be put at a place on the desktop. A Wayland client's windows go
// where the compositor puts them.
bool CanPlaceWindows();

}  // namespace stylorex
