// errors.cpp - getlasterror, which hands out the error lines collected in try bodies oldest
// first, and throw, which fails with a message of the script's choosing.
#include "builtins.h"
#include "interpreter/errorqueue.h"

namespace vesk::builtins {

bool getlasterror(stack* opstack, parameters*, variables*, logfunc) {
  char text[errortextlen + 1] = "";
  takeerror(text);
  opstack->push(text);
  return true;
}

// The first argument, of any type, is not marked: throw never consumes it.
bool throwerror(stack*, parameters* params, variables*, logfunc log) {
  variable* message = params ? params->first() : nullptr;
  log(logerror, message != nullptr && message->isstring() ? message->string() : "unspecified");
  return false;
}

} // namespace vesk::builtins
