#pragma once

#include "os/pointer_device.h"

#include <QString>

namespace stylorex {

// What stopped a run, as the command line names it: in words after "中断しました" ("Esc キー",
// "マウス", "一時停止"), and in its JSON summary ("esc", "pointer", "suspended").
QString StopReasonText(StopCause cause);
QString StopReasonName(StopCause cause);

// Who asks before a run Esc cannot stop: the window, whose program is ended to stop the run
// where its backend knows no other way, or the terminal, where Ctrl+C and SIGTERM always stop it.
enum class RunFace { Window, Terminal };

// Where Esc cannot stop a run on `pointer`: why, and how the run stops instead (the backend's
// own way first, then what `face` always has). Empty where Esc stops it.
QString HowThisRunStops(const PointerDevice& pointer, RunFace face);

}  // namespace stylorex
