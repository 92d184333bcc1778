// builtins.h - the built-in functions, by family. Each has the scriptfunc signature: it reads
// its arguments from the parameter list, marks what it consumes as processed, pushes at most
// one result and reports a failure once at level 1 before returning false. C++ names are the
// script names, except where C++ reserves them: throwerror (throw), deletevariable (delete),
// assertion (assert).
#pragma once

#include "caller.h"
#include "services.h"
#include "vesk.h"

namespace vesk::builtins {

// A function of mathematics and its numbers-only form (see numericfunc).
struct numericform {
  scriptfunc function;
  numericfunc numeric;
};
extern numericform const numericforms[];
extern int const numericformcount;

// Errors (errors.cpp): reading back collected error lines, raising a failure.
bool getlasterror(stack*, parameters*, variables*, logfunc);
bool throwerror(stack*, parameters*, variables*, logfunc);

// Mathematics (math.cpp), angles in degrees.
bool abs(stack*, parameters*, variables*, logfunc);
bool sqrt(stack*, parameters*, variables*, logfunc);
bool round(stack*, parameters*, variables*, logfunc);
bool min(stack*, parameters*, variables*, logfunc);
bool max(stack*, parameters*, variables*, logfunc);
bool sin(stack*, parameters*, variables*, logfunc);
bool cos(stack*, parameters*, variables*, logfunc);
bool tan(stack*, parameters*, variables*, logfunc);
bool asin(stack*, parameters*, variables*, logfunc);
bool acos(stack*, parameters*, variables*, logfunc);
bool atan(stack*, parameters*, variables*, logfunc);

// Date, time and sleeping (clock.cpp).
bool year(stack*, parameters*, variables*, logfunc);
bool month(stack*, parameters*, variables*, logfunc);
bool day(stack*, parameters*, variables*, logfunc);
bool date(stack*, parameters*, variables*, logfunc);
bool hour(stack*, parameters*, variables*, logfunc);
bool minute(stack*, parameters*, variables*, logfunc);
bool second(stack*, parameters*, variables*, logfunc);
bool time(stack*, parameters*, variables*, logfunc);
bool sleep(stack*, parameters*, variables*, logfunc);

// The longest pause of sleep; longer durations (and NaN) are cut to it.
constexpr unsigned maxsleepmilliseconds = 4294967294u;
// The pause of sleep for a duration: truncated toward zero, negative ones 0, NaN and those
// above maxsleepmilliseconds maxsleepmilliseconds. Defined for every double.
unsigned sleepduration(double milliseconds);

// Output (output.cpp): one line of values, or one line per value with lists expanded.
bool dump(stack*, parameters*, variables*, logfunc);
bool print(stack*, parameters*, variables*, logfunc);

// The short number form of print and dump: "%.3f" without trailing zeros and point. `text`
// holds 512 bytes.
char const* shortnumber(double number, char* text);

// Assertions (assertions.cpp).
bool assertion(stack*, parameters*, variables*, logfunc);

// Inspection (inspection.cpp): deleting and counting variables, type tests.
bool deletevariable(stack*, parameters*, variables*, logfunc);
bool count(stack*, parameters*, variables*, logfunc);
bool isdefined(stack*, parameters*, variables*, logfunc);
bool isnumber(stack*, parameters*, variables*, logfunc);
bool isstring(stack*, parameters*, variables*, logfunc);
bool islist(stack*, parameters*, variables*, logfunc);
bool isnamedlist(stack*, parameters*, variables*, logfunc);
bool isbinary(stack*, parameters*, variables*, logfunc);

// Marker flags (flags.cpp): tests of argument values, setters of variables named by strings.
bool isinvalid(stack*, parameters*, variables*, logfunc);
bool setinvalid(stack*, parameters*, variables*, logfunc);
bool resetinvalid(stack*, parameters*, variables*, logfunc);
bool isdisabled(stack*, parameters*, variables*, logfunc);
bool setdisabled(stack*, parameters*, variables*, logfunc);
bool resetdisabled(stack*, parameters*, variables*, logfunc);
bool ischanged(stack*, parameters*, variables*, logfunc);
bool setchanged(stack*, parameters*, variables*, logfunc);
bool resetchanged(stack*, parameters*, variables*, logfunc);
bool haserror(stack*, parameters*, variables*, logfunc);
bool seterror(stack*, parameters*, variables*, logfunc);
bool reseterror(stack*, parameters*, variables*, logfunc);

// File system (files.cpp). enumfiles and enumfolders push a list whose storage is released
// when the calling statement ends; a host that calls them directly owns it (reset() gives
// it back).
bool getfolderpath(stack*, parameters*, variables*, logfunc);
bool enumfiles(stack*, parameters*, variables*, logfunc);
bool enumfolders(stack*, parameters*, variables*, logfunc);
bool deletefile(stack*, parameters*, variables*, logfunc);
bool deletefolder(stack*, parameters*, variables*, logfunc);
bool renamefile(stack*, parameters*, variables*, logfunc);
bool createfolder(stack*, parameters*, variables*, logfunc);

} // namespace vesk::builtins
