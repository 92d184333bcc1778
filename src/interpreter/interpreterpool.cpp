// interpreterpool.cpp - nested interpreters kept for reuse, a few per interpreter family: a
// script call or a parallel part takes one instead of building a fresh operand stack, arena,
// temporaries and lookup memory. A kept interpreter is renewed to the state a fresh one has.
// The family holds them, not the thread: a thread's own storage would have to be released
// when a parallel block's worker ends, which some systems do under a lock of their loader.
#include <cstdlib>
#include <cstring>
#include <new>

#include "family.h"
#include "temporaries.h"
#include "engine.h"
#include "fastpaths.h"
#include "stackaccess.h"

namespace vesk {

// A nested engine sharing store, registry, log function, script directories, family, thread
// and call. Null when there is no memory for it.
engine* engine::nest() {
  engine* nested = nullptr;
  if (shared->sparecount > 0 && fastpaths()) {
    nested = shared->spares[--shared->sparecount];
    nested->renew(funcs, globals, log);
  } else {
    nested = new (std::nothrow) engine(funcs, globals, log);
    if (nested == nullptr) return nullptr;
    if (nested->temps == nullptr) {
      delete nested;
      return nullptr;
    }
  }
  copytext(nested->scriptpath1, scriptpath1, maxdirlen);
  copytext(nested->scriptpath2, scriptpath2, maxdirlen);
  nested->shared = shared;
  nested->thread = thread;
  nested->frame = frame;
  nested->calldepth = calldepth;
  return nested;
}

// Ends the use of a nested engine made by nest, keeping it for the next when there is room.
void engine::retire(engine* nested) {
  if (nested == nullptr) return;
  family* shared = nested->shared;
  nested->retireoperands(); // its last statement's lists, and what was stored into them
  if (shared->sparecount < family::keptnested && fastpaths())
    shared->spares[shared->sparecount++] = nested;
  else
    delete nested;
}

// Everything as the nested constructor leaves it, except the storage kept for reuse: the
// operand stack and its arena (emptied), the temporaries (given back), the machine's arrays
// and the memory of names that are no script (which checks its own validity).
void engine::renew(registry* registryof, variables* store, vesk::logfunc logto) {
  opstack.reset();
  stackaccess::setowner(opstack, nullptr);
  log = logto;
  cmdindex = 0;
  globals = store;
  funcs = registryof;
  cmds = nullptr;
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
  book = nullptr;
  depth = 0;
  callcount = chaincount = listcount = 0;
  appendtarget = nullptr;
  temps->reset();
  scriptname[0] = '\0';
  foundpath[0] = '\0';
}

} // namespace vesk
