// diagnostics.h - the one form of every message the engine writes about a script: "script(line):
// kind: text", cut to a line of at most messagesize - 1 characters. Made here for the machine's
// errors, the run's stop and limit, the prefix of functions' messages and the check's findings.
#pragma once

#include <cstddef>

namespace vesk {

// Writes "script(line): kind: text" into `buffer` (`size` bytes), cut to fit.
void formatdiagnostic(char* buffer, std::size_t size, char const* script, int line,
                      char const* kind, char const* text);

} // namespace vesk
