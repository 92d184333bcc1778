// family.h - what an interpreter shares with the interpreters nested in it (script calls,
// parallel parts): the statement lock and clock (familylock.h), the storage given back
// (givenback.h), the compiled lines of script texts (codecache.h of the compiled lines) and the
// nested interpreters kept for reuse (enginepool.h), the host's limits, stop request and hook,
// and the errors collected by try bodies. Invariant: everything but the atomics is read and
// written under the statement lock, or while one thread alone is in the family.
#pragma once

#include <atomic>

#include "errorqueue.h"
#include "familylock.h"
#include "givenback.h"
#include "recycler.h"
#include "vesk.h"

namespace vesk::platform {
struct allowedfolders;
}

namespace vesk {

struct codecache;
struct enginepool;
class runner;

struct family {
  familylock lock;
  givenback storage;
  codecache* code = nullptr;  // made by its first use, released with the family
  enginepool* pool = nullptr; // likewise
  std::atomic<int> owners{1}; // the host's interpreters sharing it (copies)

  std::atomic<bool> stoprequested{false}; // set by the host, from any thread
  std::atomic<bool> inuse{false};         // a host's call is running in the family
  long long statementlimit = 0;           // 0: no limit
  long long executed = 0;          // statements since the host's call began, up to the last check
  long long budget = 0;            // statements that may begin before the next check
  long long granted = 0;           // what the last check granted
  long long executedatpoll = 0;    // executed when script changes were last taken in
  bool halted = false;             // the run was stopped: no try may catch it
  vesk::logfunc hostlog = nullptr; // where the reason goes, even from a try body
  // The host's hook, called before each statement while it is set (every statement then takes
  // the full check, which calls it), with the interpreter it was set on and its data.
  statementhook hook = nullptr;
  interpreter* hookowner = nullptr;
  void* hookdata = nullptr;
  errorhook onerror = nullptr; // the host's error hook, with its interpreter and data
  interpreter* errorowner = nullptr;
  void* errordata = nullptr;
  std::atomic<runner*> paused{nullptr};         // the engine whose statement waits for a hook
  int parts = 0;                                // worker parts of parallel blocks begun in the call
  std::atomic<vesk::logfunc> reportto{nullptr}; // the host's last log function, for misuse
  errorqueue errors;                            // what try bodies of the family collected
  bool confined = false;                        // the file built-ins act only in `files`
  platform::allowedfolders* files = nullptr;

  // Reports that memory ran out or no thread could be started, so far, and the message of the
  // last: a parallel block fails with it when one of its parts ended that way.
  std::atomic<unsigned long long> shortages{0};
  std::atomic<char const*> lastshortage{nullptr};

  unsigned long long calls = 0;              // functions and scripts called so far
  unsigned long long registrygeneration = 0; // functions registered so far
  unsigned long long pathsgeneration = 0;    // changes of the script folders
  recycler parameterstorage;                 // the parameter lists of calls, taken under the lock
};

// A family for a host's interpreter, with one owner; another interpreter (a copy) takes a
// share of it. letgo drops a share and tells whether it was the last: the caller then gives
// back the family's code cache and engine pool and ends it with deletefamily.
family* newfamily();
void sharefamily(family* shared);
bool letgo(family* shared);
void deletefamily(family* shared);

// A statement of `thread` has ended; between two statements storage that nobody can hold any
// more is released.
inline void endstatement(family* shared, threadstate* thread) {
  thread->statement = 0;
  if (shared->storage.retiredcount > shared->storage.retiredhead ||
      shared->storage.waitingcount > 0)
    collect(shared->storage, shared->lock.threads);
}
inline void collect(family* shared) {
  collect(shared->storage, shared->lock.threads);
}

// The storage of `value` (a list or named list with every list inside it; the record itself is
// left alone) is given back: it is released once no statement of the family can hold it.
inline void retire(family* shared, variable const& value) {
  if (value.islist() || value.isnamedlist())
    retire(shared->storage, value, shared->lock.clock, false);
}
// The same for what a host gives back with reset() while a statement runs one of its
// functions: only the list's own blocks and index; false without memory to keep it.
inline bool retireown(family* shared, variable const& list) {
  return retire(shared->storage, list, shared->lock.clock, true);
}
// The release hold (releasehold.h) installed while a host's function or hook runs in a
// statement of the family `context`: what the host resets is given back by retireown.
bool holdforstatement(void* context, variable const& held);

// Loops that may run long inside one statement (copying, appending and merging lists) look at
// the host's stop request once every `stopcheckevery` steps, counted in `steps`: a stop ends
// the statement at once, without a message of its own (the next check reports the stop).
constexpr unsigned stopcheckevery = 4096;
inline bool stopasked(family const* shared, unsigned& steps) {
  return ++steps % stopcheckevery == 0 && shared != nullptr &&
         shared->stoprequested.load(std::memory_order_relaxed);
}

// The family whose statements this thread runs (the host's thread during a call, a worker
// thread during its part of a parallel block), or null; set returns the one it replaces.
family* runningfamily();
family* setrunningfamily(family* shared);

} // namespace vesk
