// family.h - the state that an interpreter shares with the interpreters nested in it (script
// calls, parallel parts): the statement lock, and storage given back by nested runs, which is
// released only when the outermost interpreter starts its next statement, since statements of
// callers still in progress may hold references into it.
#pragma once

#include <atomic>
#include <mutex>

#include "values/recycler.h"
#include "vesk.h"

namespace vesk {

// The interpreters of one family execute one statement at a time: a thread holds the lock
// while it executes a statement (with everything that statement calls) and gives it up between
// statements, while it sleeps and while it waits for the parts of a parallel block.
struct family {
  std::mutex lock;
  std::atomic<bool> stoprequested{false}; // set by the host, from any thread
  long long statementlimit = 0;            // 0: no limit
  long long executed = 0;                  // statements since the host's call began
  bool halted = false;                     // the run was stopped: no try may catch it
  vesk::logfunc hostlog = nullptr;         // where the reason goes, even from a try body
  int paused = 0; // threads that gave the lock up in the middle of a statement (sleep, parallel)
  variable* graveyard = nullptr; // old values of overwritten variables, awaiting release
  int buried = 0;
  int capacity = 0;
  recycler parameterstorage; // the parameter lists of calls, taken under the lock
  // Nested interpreters kept for reuse (see interpreterpool.cpp), taken and given back under
  // the lock or while no other thread of the family runs; released with the family.
  static constexpr int keptnested = 8;
  interpreter* spares[keptnested] = {};
  int sparecount = 0;
};

family* newfamily();
void deletefamily(family* shared);
// Releases the storage of `value` now (outermost interpreter) or at the next statement of the
// outermost interpreter (nested ones). The record itself is left as it is.
void giveback(family* shared, variable* value, bool now);
// Releases everything given back so far; called between statements of the outermost one.
void releaseburied(family* shared);

// Holds the family's lock for one statement unless this thread holds it already.
class statementlock {
public:
  explicit statementlock(family* shared);
  ~statementlock();
  statementlock(statementlock const&) = delete;
  statementlock& operator=(statementlock const&) = delete;

private:
  family* held;
  family* outer;
  bool acquired;
};

// Gives the lock up (when this thread holds it) until resume: around sleeping and waiting.
// pause returns whether it was held, to be handed to resume.
bool pause(family* shared);
void resume(family* shared, bool washeld);

} // namespace vesk
