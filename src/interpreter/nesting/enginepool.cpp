// enginepool.cpp - nested engines: made (or taken from the family's pool) for a script call or
// a parallel part, and given back renewed. The family holds the pool, not the thread: a
// thread's own storage would have to be released when a parallel block's worker ends, which
// some systems do under a lock of their loader.
#include "enginepool.h"

#include <new>

#include "fastpaths.h"
#include "runengine.h"

namespace vesk {

// A nested engine sharing store, registry, log function, script directories, family, thread
// and call. Null when there is no memory for it.
runengine* runengine::nest() {
  runengine* nested = nullptr;
  enginepool* pool = shared->pool;
  if (pool != nullptr && pool->count > 0 && fastpaths()) {
    nested = pool->spares[--pool->count];
    nested->renew(funcs, globals, log);
  } else {
    nested = new (std::nothrow) runengine(funcs, globals, log);
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
  nested->outer = this;
  nested->part = part;
  return nested;
}

// Ends the use of a nested engine made by nest, keeping it for the next when there is room.
void runengine::retire(runengine* nested) {
  if (nested == nullptr) return;
  family* shared = nested->shared;
  nested->retireoperands(); // its last statement's lists, and what was stored into them
  if (shared->pool == nullptr && fastpaths()) shared->pool = new (std::nothrow) enginepool;
  enginepool* pool = shared->pool;
  if (pool != nullptr && pool->count < enginepool::kept && fastpaths())
    pool->spares[pool->count++] = nested;
  else
    delete nested;
}

// Everything as the nested constructor leaves it, except the storage kept for reuse: the
// operand stack and its arena (emptied), the temporaries (given back), the machine's arrays
// and the memory of names that are no script (which checks its own validity).
void runengine::renew(registry* registryof, variables* store, vesk::logfunc logto) {
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
  outer = nullptr;
  part = 0;
  ispart = false;
  thread = nullptr;
  shared = nullptr;
  ownsfuncs = false;
  book = nullptr;
  depth = 0;
  callcount = chaincount = listcount = 0;
  appendtarget = nullptr;
  temps->reset();
  scriptname[0] = '\0';
  foundpath[0] = '\0';
}

void releasepool(family* shared) {
  enginepool* pool = shared->pool;
  if (pool == nullptr) return;
  while (pool->count > 0) delete pool->spares[--pool->count];
  delete pool;
  shared->pool = nullptr;
}

} // namespace vesk
