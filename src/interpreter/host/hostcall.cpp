// hostcall.cpp - the beginning and end of a host's call (execute, evaluate, check, list): the
// family and its store are marked in use, so that a function calling back into its own
// interpreter, a second thread driving the same interpreter, and a second family using the same
// store at the same time each fail with a message instead of corrupting what the call holds.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "engine.h"
#include "family.h"
#include "pausedrun.h"
#include "scriptcache.h"
#include "storeaccess.h"

namespace vesk {

// A misuse is reported to the log function the host gave last (safe to read from any thread).
void engine::misuse(char const* text) {
  vesk::logfunc to = shared != nullptr ? shared->reportto.load(std::memory_order_acquire) : nullptr;
  if (to != nullptr) to(logerror, text);
}

// False, reported, when the call may not begin (memory for the engine's operand stack and
// registers is taken now when it could not be before). Otherwise the count of statements
// starts again, an earlier stop request is forgotten and files the host has just written are
// seen.
bool engine::begincall() {
  if (shared == nullptr || !equip()) {
    log(logerror, msg_memory);
    return false;
  }
  if (shared->inuse.exchange(true, std::memory_order_acquire)) {
    if (!refusedinpause("running anything"))
      misuse("interpreter already in use: a function may not call back into the interpreter "
             "that runs it, and an interpreter serves one thread at a time");
    return false;
  }
  if (globals != nullptr) {
    auto mine = reinterpret_cast<std::uintptr_t>(shared);
    std::uintptr_t holder = 0;
    if (!storeaccess::usemark(*globals).compare_exchange_strong(holder, mine) && holder != mine) {
      shared->inuse.store(false, std::memory_order_release);
      misuse("global store in use by another interpreter");
      return false;
    }
    marked = globals;
  }
  refreshscripts();
  shared->hostlog = log;
  shared->executed = shared->executedatpoll = 0;
  shared->budget = shared->granted = 0;
  shared->halted = false;
  shared->stoprequested = false;
  shared->parts = 0;
  shared->lock.host.statement = shared->lock.host.suspended = 0;
  thread = &shared->lock.host;
  outerfamily = setrunningfamily(shared);
  return true;
}

// Gives back what no statement can hold any more (the value an evaluation left stays valid
// until the next call) and clears the marks.
void engine::endcall() {
  collect(shared);
  setrunningfamily(outerfamily);
  if (marked != nullptr) storeaccess::usemark(*marked).store(0, std::memory_order_release);
  marked = nullptr;
  shared->inuse.store(false, std::memory_order_release);
}

// Whether a run of the family is paused in the hook on this thread, which may then not `call`
// (reported): nothing else may run, and what the paused run sees must not change under it.
bool engine::refusedinpause(char const* call) {
  if (pausedframes(shared) == 0) return false;
  char text[messagesize];
  snprintf(text, sizeof text,
           "%s is not allowed while the run is paused in the statement hook (the hook may read "
           "and change the store, look at the frames and evaluate in them, stop the run or set "
           "the hook, the statement limit or the log function)",
           call);
  misuse(text);
  return true;
}

// Whether a host's run must be refused: a script name that does not fit (called scripts would
// be looked for beside a shorter name) or a line without text. Reported.
bool engine::refused(char const* name, char const** lines, int count) {
  if (name != nullptr && strlen(name) > maxpathlen) {
    copytext(scriptname, name, maxpathlen);
    cmdindex = -1;
    error("script name longer than 127 characters");
    return true;
  }
  for (int i = 0; lines != nullptr && i < count; ++i) {
    if (lines[i] != nullptr) continue;
    copytext(scriptname, name, maxpathlen);
    cmdindex = i;
    error("line has no text (null)");
    return true;
  }
  return false;
}

} // namespace vesk
