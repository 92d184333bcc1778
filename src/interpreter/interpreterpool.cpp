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
#include "values/fastpaths.h"

namespace vesk {

// A nested interpreter sharing store, registry, log function, script directories, family,
// thread and call. Null when there is no memory for it.
interpreter* interpreter::nest() {
  interpreter* nested = nullptr;
  if (shared != nullptr && shared->sparecount > 0 && fastpaths()) {
    nested = shared->spares[--shared->sparecount];
    nested->renew(funcs, globals, logfunc);
  } else {
    nested = new (std::nothrow) interpreter(funcs, globals, logfunc);
    if (nested == nullptr) return nullptr;
    if (nested->temps == nullptr) {
      delete nested;
      return nullptr;
    }
  }
  memcpy(nested->scriptpath1, scriptpath1, sizeof scriptpath1);
  memcpy(nested->scriptpath2, scriptpath2, sizeof scriptpath2);
  nested->shared = shared;
  nested->thread = thread;
  nested->frame = frame;
  nested->calldepth = calldepth;
  return nested;
}

// Ends the use of a nested interpreter made by nest, keeping it for the next when there is room.
void interpreter::retire(interpreter* nested) {
  if (nested == nullptr) return;
  family* shared = nested->shared;
  nested->retireoperands(); // its last statement's lists, and what was stored into them
  if (shared != nullptr && shared->sparecount < family::keptnested && fastpaths())
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
  frame = nullptr;
  calldepth = 0;
  thread = nullptr;
  shared = nullptr;
  ownsshared = false;
  ownsfuncs = false;
  marked = nullptr;
  appendtarget = nullptr;
  exprdepth = 0;
  nesting = 0;
  temps->reset();
  scriptname[0] = '\0';
  foundpath[0] = '\0';
}

} // namespace vesk
