#pragma once

#include "common/window_text.h"
#include "os/pointer_device.h"

#include <QPoint>
#include <QString>

namespace stylorex {

// The pointer position as lblScreenPoint shows it: each coordinate with at least three digits,
// zero-padded, a minus sign in front of the padded digits, joined by ",": "045,120",
// "1280,1024", "-005,010".
QString ScreenPointText(QPoint position);
// What lblScreenPoint shows while the window is open: the pointer's position, or "--" where
// the pointer cannot be read (a Wayland session).
QString LiveScreenPointText(PointerDevice& pointer);

// The texts the capture command puts into txtStartX and txtStartY.
struct CapturedOrigin {
    QString textX;
    QString textY;
};

// The capture command (Ctrl+G) once it has its point (where the pointer stands, or the point
// the user picked): tags the caption "[座標取得]" and sets status panel 2 to "座標を取得".
// Returns the point as plain decimal texts for the two origin fields.
CapturedOrigin CaptureOrigin(QPoint point, WindowText& window);

}  // namespace stylorex
