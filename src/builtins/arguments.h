// arguments.h - what every built-in shares: one helper per argument pattern of the built-in
// conventions (exact count, at least one, all arguments, string arguments, first string
// argument, named argument), the failure report and the pushing of results. Each validate
// helper reports its message at level 1 and returns false or null when the check fails.
#pragma once

#include "vesk.h"

namespace vesk::builtins {

// Reports `message` at level 1 (dropped when there is no log function) and returns false.
bool fail(logfunc log, char const* message);

// The number of arguments (`variable::count` of the parameters); 0 for a null list.
int argumentcount(parameters* params);

// Pattern 1, exact count: true when there are exactly `required` arguments, else reports
// `message` and returns false.
bool validatecount(parameters* params, int required, logfunc log, char const* message);

// True when `argument` is a number, else reports `message` and returns false.
bool validatenumber(variable* argument, logfunc log, char const* message);

// Patterns 2 to 4: a cursor over the arguments in call order, named or positional. It walks a
// copy of the list record, so the parameter list's own cursor stays where it is. A null list
// has no arguments. first()/next() visit every argument; firststring()/nextstring() only the
// strings, skipping the others silently (they stay unprocessed).
class arguments {
public:
  explicit arguments(parameters* params);
  variable* first();
  variable* next();
  variable* firststring();
  variable* nextstring();

private:
  variable walker;
  bool any;
};

// Pattern 5, first string argument: the first argument whose value is a string, marked
// processed; null after reporting `message` when there is none.
variable* firststring(parameters* params, logfunc log, char const* message);

// Pattern 6, named argument: the argument called `name` when it is a string, marked processed;
// null after reporting `message` when it is missing or of another type.
variable* namedstring(parameters* params, char const* name, logfunc log, char const* message);

// A variable of the store by name (dotted paths into named lists included); null when there
// is no store or no such variable.
variable* findvariable(variables* globals, char const* name);

// Pushing a result: true when it is on the stack. A full (or missing) stack reports
// "function '<function>': no room for the result" and returns false (or null).
bool pushresult(stack* opstack, double number, char const* function, logfunc log);
bool pushresult(stack* opstack, char const* text, char const* function, logfunc log);
variable* pushlist(stack* opstack, char const* function, logfunc log);

} // namespace vesk::builtins
