#pragma once

#include <QString>

#include <cstdio>

namespace stylorex {

// "Stylorex: <text>": how every message of the program on the standard error starts, so that a
// user reading a terminal or a log knows whose it is.
QString ProgramMessageText(const QString& text);

// Writes ProgramMessageText(text) and a line break to `stream` in the locale's encoding and
// flushes it.
void PrintProgramMessage(const QString& text, std::FILE* stream = stderr);

}  // namespace stylorex
