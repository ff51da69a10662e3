#pragma once

#include "cli/command_line.h"

#include <cstdio>

namespace stylorex {

// `stylorex draw`: decodes the picture, puts it on a canvas of its own size as the window's
// canvas would hold it, and either prints (and pictures) the plan or draws it through the
// session's pointer with the run of "処理", all without a window. Returns the exit code.
int RunDrawCommand(const DrawOptions& options, std::FILE* out, std::FILE* err);

}  // namespace stylorex
