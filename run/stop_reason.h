#pragma once

#include "os/pointer_device.h"

#include <QString>

namespace stylorex {

// What stopped a run, as the command line names it: in words after "中断しました" ("Esc キー",
// "マウス", "一時停止"), and in its JSON summary ("esc", "pointer", "suspended").
QString StopReasonText(StopCause cause);
QString StopReasonName(StopCause cause);

}  // namespace stylorex
