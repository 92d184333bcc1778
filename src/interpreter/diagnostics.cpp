// diagnostics.cpp - the interpreter's messages: one line per report, "%s(%d): error: %s" or
// "%s(%d): warning: %s" with the script name and the 1-based line, handed to the log function
// at level 1. Reporting never changes the interpreter's state.
#include <cstdio>

#include "engine.h"

namespace vesk {

namespace {
void report(vesk::logfunc log, char const* kind, char const* script, int line, char const* text) {
  char buffer[messagesize];
  // A line longer than the buffer is cut; the check only keeps the compiler content.
  if (snprintf(buffer, sizeof buffer, "%s(%d): %s: %s", script, line, kind, text) < 0) return;
  log(logerror, buffer);
}
} // namespace

void engine::error(char const* text) {
  report(log, "error", scriptname, cmdindex + 1, text);
}

void engine::warning(char const* text) {
  report(log, "warning", scriptname, cmdindex + 1, text);
}

void engine::error(char const* format, double value) {
  char buffer[messagesize];
  snprintf(buffer, sizeof buffer, format, value);
  error(buffer);
}

void engine::error(char const* format, char const* text) {
  char buffer[messagesize];
  snprintf(buffer, sizeof buffer, format, text);
  error(buffer);
}

void engine::error(char const* format, char const* text1, char const* text2) {
  char buffer[messagesize];
  snprintf(buffer, sizeof buffer, format, text1, text2);
  error(buffer);
}

// The formatted warnings report with the "error:" prefix, like the formatted errors.
void engine::warning(char const* format, double value) { error(format, value); }

void engine::warning(char const* format, char const* text) { error(format, text); }

} // namespace vesk
