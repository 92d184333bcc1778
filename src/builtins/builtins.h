// builtins.h - the built-in functions, by family. Each has the scriptfunc signature: it reads
// its arguments from the parameter list, marks what it consumes as processed, pushes at most
// one result and reports a failure once at level 1 before returning false.
#pragma once

#include "vesk.h"

namespace vesk::builtins {

// Errors: reading back collected error lines, raising a failure.
bool getlasterror(stack*, parameters*, variables*, logfunc);
bool throwerror(stack*, parameters*, variables*, logfunc);

// Output: one line of values, or one line per value with lists expanded.
bool print(stack*, parameters*, variables*, logfunc);
bool dump(stack*, parameters*, variables*, logfunc);

// The short number form of print and dump: "%.3f" without trailing zeros and point. `text`
// holds 512 bytes.
char const* shortnumber(double number, char* text);

} // namespace vesk::builtins
