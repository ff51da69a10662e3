#pragma once

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

}  // namespace stylorex
