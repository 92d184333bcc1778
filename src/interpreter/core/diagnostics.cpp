// diagnostics.cpp - the interpreter's messages: one line per report, made by formatdiagnostic
// with the script name and the 1-based line, handed to the log function at level 1 (warnings
// too, told apart by their kind). Reporting never changes the interpreter's state.
#include "diagnostics.h"

#include <cstdio>
#include <cstring>

#include "family.h"
#include "machine.h"

namespace vesk {

void formatdiagnostic(char* buffer, std::size_t size, char const* script, int line,
                      char const* kind, char const* text) {
  // A line longer than the buffer is cut.
  if (std::snprintf(buffer, size, "%s(%d): %s: %s", script, line, kind, text) < 0 && size > 0)
    buffer[0] = '\0';
}

// Every report that memory ran out begins with msg_memory; the family counts them with those
// of threads that could not be had (a parallel block fails when one of its parts ended so).
void machine::error(char const* text) {
  char const* shortage = std::strncmp(text, msg_memory, sizeof msg_memory - 1) == 0 ? msg_memory
                         : std::strcmp(text, msg_nothread) == 0                     ? msg_nothread
                                                                                    : nullptr;
  if (shared != nullptr && shortage != nullptr) {
    shared->lastshortage.store(shortage, std::memory_order_relaxed);
    shared->shortages.fetch_add(1, std::memory_order_relaxed);
  }
  char buffer[messagesize];
  formatdiagnostic(buffer, sizeof buffer, scriptname, cmdindex + 1, "error", text);
  log(logerror, buffer);
  if (shared != nullptr && shared->onerror != nullptr) noteerror(buffer);
}

void machine::noteerror(char const* line) {
  long long now = statementcount();
  if (errorstamp == now) return; // the statement's first error stays
  copytext(firsterror, line, messagesize - 1);
  errorstamp = now;
}

void machine::warning(char const* text) {
  char buffer[messagesize];
  formatdiagnostic(buffer, sizeof buffer, scriptname, cmdindex + 1, "warning", text);
  log(logerror, buffer);
}

void machine::error(char const* format, double value) {
  char buffer[messagesize];
  snprintf(buffer, sizeof buffer, format, value);
  error(buffer);
}

void machine::error(char const* format, char const* text) {
  char buffer[messagesize];
  snprintf(buffer, sizeof buffer, format, text);
  error(buffer);
}

void machine::error(char const* format, char const* text1, char const* text2) {
  char buffer[messagesize];
  snprintf(buffer, sizeof buffer, format, text1, text2);
  error(buffer);
}

} // namespace vesk
