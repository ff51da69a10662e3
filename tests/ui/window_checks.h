#pragma once

#include <QStringList>

namespace stylorex {

class frmGraph;

// Checks of the main window that hold at every scale of Qt's; each returns what it found wrong,
// one line each, and nothing when all is well.

// Writes the longest value of every text the window shows by itself (status panels, the plan,
// the progress, the check, the status bar's notices) into its control, and names each that does
// not show whole. A status panel may cut a text far longer than usual short with "…" while its
// tool tip holds the whole text; the hint how to go on after Esc is never cut.
QStringList CutDynamicTexts(frmGraph& window);

// The window's panels (the viewport, its scroll bars, the painter panel, the bottom panel) that
// overlap another or leave the client area at its foot, and the window's outer rectangle where
// it leaves the screen's room for windows.
QStringList OverlapsAndOverflows(const frmGraph& window);

}  // namespace stylorex
