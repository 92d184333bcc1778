// flags.cpp - the four marker flags of variables (invalid, disabled, changed, error): tests that
// look at the argument values they receive, and setters that take strings as names of
// variables in the store. One table row per flag, walked by two routines.
#include "arguments.h"
#include "builtins.h"

namespace vesk::builtins {

namespace {

struct markerflag {
  char const* testname;
  bool (variable::*test)() const;
  void (variable::*set)(bool on);
};

enum flagrow { invalidrow, disabledrow, changedrow, errorrow };

constexpr markerflag markerflags[] = {
    {"isinvalid", &variable::isinvalid, &variable::setinvalid},
    {"isdisabled", &variable::isdisabled, &variable::setdisabled},
    {"ischanged", &variable::ischanged, &variable::setchanged},
    {"haserror", &variable::haserror, &variable::seterror},
};

// 1 when at least one argument value carries the flag (0 without arguments); every argument
// is visited and marked.
bool testflag(flagrow row, stack* opstack, parameters* params, logfunc log) {
  markerflag const& flag = markerflags[row];
  bool any = false;
  arguments args(params);
  for (variable* p = args.first(); p != nullptr; p = args.next()) {
    p->processed(true);
    if ((p->*flag.test)()) any = true;
  }
  return pushresult(opstack, any ? 1.0 : 0.0, flag.testname, log);
}

// Sets (or clears) the flag on each variable named by a string argument, in call order; the
// first name without a variable fails the call, and the names before it stay changed.
bool setflag(flagrow row, bool on, parameters* params, variables* globals, logfunc log) {
  markerflag const& flag = markerflags[row];
  arguments args(params);
  for (variable* name = args.firststring(); name != nullptr; name = args.nextstring()) {
    name->processed(true);
    variable* target = findvariable(globals, name->string());
    if (target == nullptr) return fail(log, "no such variable");
    (target->*flag.set)(on);
  }
  return true;
}

} // namespace

bool isinvalid(stack* opstack, parameters* params, variables*, logfunc log) {
  return testflag(invalidrow, opstack, params, log);
}
bool isdisabled(stack* opstack, parameters* params, variables*, logfunc log) {
  return testflag(disabledrow, opstack, params, log);
}
bool ischanged(stack* opstack, parameters* params, variables*, logfunc log) {
  return testflag(changedrow, opstack, params, log);
}
bool haserror(stack* opstack, parameters* params, variables*, logfunc log) {
  return testflag(errorrow, opstack, params, log);
}

bool setinvalid(stack*, parameters* params, variables* globals, logfunc log) {
  return setflag(invalidrow, true, params, globals, log);
}
bool resetinvalid(stack*, parameters* params, variables* globals, logfunc log) {
  return setflag(invalidrow, false, params, globals, log);
}
bool setdisabled(stack*, parameters* params, variables* globals, logfunc log) {
  return setflag(disabledrow, true, params, globals, log);
}
bool resetdisabled(stack*, parameters* params, variables* globals, logfunc log) {
  return setflag(disabledrow, false, params, globals, log);
}
bool setchanged(stack*, parameters* params, variables* globals, logfunc log) {
  return setflag(changedrow, true, params, globals, log);
}
bool resetchanged(stack*, parameters* params, variables* globals, logfunc log) {
  return setflag(changedrow, false, params, globals, log);
}
bool seterror(stack*, parameters* params, variables* globals, logfunc log) {
  return setflag(errorrow, true, params, globals, log);
}
bool reseterror(stack*, parameters* params, variables* globals, logfunc log) {
  return setflag(errorrow, false, params, globals, log);
}

} // namespace vesk::builtins
