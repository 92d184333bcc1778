// interpreterpool.cpp - nested interpreters kept for reuse, a few per interpreter family: a
// script call or a parallel part takes one instead of building a fresh operand stack, arena,
// temporaries and lookup memory. A kept interpreter is renewed to the state a fresh one has.
// The family holds them, not the thread: a thread's own storage would have to be released
// when a parallel block's worker ends, which some systems do under a lock of their loader.
#include <cstdlib>
#include <cstring>
#include <new>

#include "family.h"
#include "frontend/temporaries.h"
#include "internal.h"
#include "listset.h"
#include "values/fastpaths.h"

namespace vesk {

// A nested interpreter sharing store, registry, log function, script directories and family.
interpreter* interpreter::nest(bool outer) {
  interpreter* nested = nullptr;
  if (shared != nullptr && shared->sparecount > 0 && fastpaths()) {
    nested = shared->spares[--shared->sparecount];
    nested->renew(funcs, globals, logfunc);
  } else {
    nested = new (std::nothrow) interpreter(funcs, globals, logfunc);
    if (nested == nullptr) return nullptr;
  }
  memcpy(nested->scriptpath1, scriptpath1, sizeof scriptpath1);
  memcpy(nested->scriptpath2, scriptpath2, sizeof scriptpath2);
  nested->shared = shared;
  nested->outermost = outer;
  nested->callparams = callparams;
  nested->calldepth = calldepth;
  return nested;
}

// Ends the use of a nested interpreter made by nest, keeping it for the next when there is room.
void interpreter::retire(interpreter* nested) {
  if (nested == nullptr) return;
  family* shared = nested->shared;
  if (shared != nullptr && shared->sparecount < family::keptnested && fastpaths() &&
      nested->temps != nullptr)
    shared->spares[shared->sparecount++] = nested;
  else
    delete nested;
}

// Everything as the nested constructor leaves it, except the storage kept for reuse: the
// operand stack and its arena (emptied), the temporaries (given back) and the memory of
// names that are no script (which checks its own validity).
void interpreter::renew(void* registry, variables* store, vesk::logfunc log) {
  cursymbolizer = nullptr;
  opstack.reset();
  opstack.owner = nullptr;
  logfunc = log;
  cmdindex = 0;
  globals = store;
  funcs = registry;
  cmds = nullptr;
  runtokens = nullptr;
  numcmds = 0;
  ctrlstack = nullptr;
  ctrltop = 0;
  ctrlsize = 0;
  callparams = nullptr;
  calldepth = 0;
  shared = nullptr;
  ownsshared = false;
  outermost = true;
  ownsfuncs = false;
  targetowned = targetfailed = targetplain = false;
  appendtarget = nullptr;
  exprdepth = 0;
  nesting = 0;
  temps->reset();
  delete created;
  created = nullptr;
  scriptname[0] = '\0';
  foundpath[0] = '\0';
}

} // namespace vesk
