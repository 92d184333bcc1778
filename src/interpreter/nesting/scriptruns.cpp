// scriptruns.cpp - a script call: its text run on a nested engine, with its compiled lines from
// the family's code cache, and what the call leaves behind given back when it ends.
#include "codecache.h"
#include "fastpaths.h"
#include "runengine.h"
#include "scripttexts.h"

namespace vesk {

// Runs a script's lines on a nested engine with the call's parameters laid over the store,
// `depth` script calls below the host's call. The statement that called it waits meanwhile:
// what the script stored and gave back, and what it stored into its parameters, the waiting
// statement cannot hold, and goes when the script ends.
bool runengine::runtext(scripttext* script, callframe& callee, char const* scriptpath, int depth) {
  if (script == nullptr) return false; // it could not be read, as was reported
  runengine* nested = nest();
  if (nested == nullptr) {
    error(msg_memory);
    return false;
  }
  threadstate caller = *thread;
  thread->suspended = ++shared->lock.clock;
  thread->statement = 0;
  nested->frame = &callee;
  nested->calldepth = depth;
  if (depth == 0) nested->outer = nullptr; // the host called the script: no statement waits
  nested->restoreoverlay();
  codebook* compiled = fastpaths() ? takebook(shared, script) : nullptr;
  bool ok = nested->run(script->lines, script->count, scriptpath, compiled, 0);
  givebook(shared, compiled);
  retire(nested);
  if (callee.givesback) callee.release(shared);
  collect(shared);
  thread->statement = caller.statement;
  thread->suspended = caller.suspended;
  restoreoverlay(); // the caller sees its own parameters again, not none
  return ok;
}

} // namespace vesk
