// errors.cpp - getlasterror, which hands out the error lines collected in try bodies oldest
// first, and throw, which fails with a message of the script's choosing.
#include "arguments.h"
#include "builtins.h"
#include "services.h"

namespace vesk::builtins {

// The slot for the text is pushed first, so that a full stack loses no collected line. The
// errors are those of the family of the interpreter whose stack it is given.
bool getlasterror(stack* opstack, parameters*, variables*, logfunc log) {
  if (!pushresult(opstack, "", "getlasterror", log)) return false;
  char text[errortextlen + 1] = "";
  if (errorqueue* errors = collectederrors(opstack)) takeerror(*errors, text);
  *opstack->top(0) = variable(text);
  return true;
}

// The first argument, of any type, is not marked: throw never consumes it.
bool throwerror(stack*, parameters* params, variables*, logfunc log) {
  variable* message = arguments(params).first();
  return fail(log, message != nullptr && message->isstring() ? message->string() : "unspecified");
}

} // namespace vesk::builtins
