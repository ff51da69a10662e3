#pragma once

#include <QIcon>
#include <QPixmap>

namespace stylorex {

// The program's icon: a pointer drawing a stroke, painted in code at 16 and 32 pixels so that
// both sizes stay crisp. The main window, the About box and the window manager show it.
QPixmap ProgramIconPixmap(int size);
QIcon ProgramIcon();

}  // namespace stylorex
