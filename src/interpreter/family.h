// family.h - the state that an interpreter shares with the interpreters nested in it (script
// calls, parallel parts): the statement lock, the host's limits and stop request, the errors
// collected by try bodies, and the storage that owners have given back, which is released only
// once no statement that could still hold a copy of a record referring to it is in progress.
#pragma once

#include <atomic>
#include <mutex>

#include "errorqueue.h"
#include "recycler.h"
#include "vesk.h"

namespace vesk {

// What one thread of a family is doing, in ticks of the family's clock. A statement holds
// copies of records (operands, parameters) that refer to list storage; so does a statement that
// waits for a script it called. `statement`: when the thread's running statement began (0
// between statements). `suspended`: when the innermost statement that waits for a call made
// that call (0 when none waits). A parallel statement holds no records: its parts start with
// the `suspended` of the thread that runs it.
struct threadstate {
  unsigned long long statement = 0;
  unsigned long long suspended = 0;
  threadstate* next = nullptr;
};

// Storage given back by its owner: the record that referred to it, when it was stored (the
// stamp of the record) and when it was given back.
struct retiredvalue {
  variable value;
  unsigned long long born;
  unsigned long long retired;
};

// The interpreters of one family execute one statement at a time: a thread holds the lock
// while it executes a statement (with everything that statement calls) and gives it up between
// statements, while it sleeps and while it waits for the parts of a parallel block. Everything
// below but `stoprequested` and `inuse` is read and written under the lock.
struct family {
  std::mutex lock;
  std::atomic<bool> stoprequested{false}; // set by the host, from any thread
  std::atomic<bool> inuse{false};         // a host's call is running in the family
  long long statementlimit = 0;           // 0: no limit
  long long executed = 0;                 // statements since the host's call began
  bool halted = false;                    // the run was stopped: no try may catch it
  vesk::logfunc hostlog = nullptr;        // where the reason goes, even from a try body
  std::atomic<vesk::logfunc> reportto{nullptr}; // the host's last log function, for misuse
  errorqueue errors;                      // what try bodies of the family collected

  unsigned long long clock = 1; // ticks: statements begin, calls suspend, storage is stored
  unsigned long long calls = 0; // functions and scripts called so far
  threadstate host;             // the thread of the host's call
  threadstate* threads = &host; // host first, then the worker threads of parallel blocks
  retiredvalue* retired = nullptr; // given back, oldest first, from `retiredhead` on
  int retiredhead = 0;
  int retiredcount = 0;
  int retiredcapacity = 0;
  retiredvalue* waiting = nullptr; // given back and held by a waiting statement: a heap, the
  int waitingcount = 0;            // most recently stored first
  int waitingcapacity = 0;

  recycler parameterstorage; // the parameter lists of calls, taken under the lock
  // Nested interpreters kept for reuse (see interpreterpool.cpp), taken and given back under
  // the lock or while no other thread of the family runs; released with the family.
  static constexpr int keptnested = 8;
  engine* spares[keptnested] = {};
  int sparecount = 0;
};

family* newfamily();
void deletefamily(family* shared);

// A statement of `thread` begins or has ended; between two statements storage that nobody can
// hold any more is released.
void beginstatement(family* shared, threadstate* thread);
void endstatement(family* shared, threadstate* thread);
// The storage of `value` (a list or named list with every list inside it; the record itself is
// left alone) is given back: it is released once no statement of the family can hold it.
void retire(family* shared, variable const& value);
// Releases what no statement of the family can hold any more.
void collect(family* shared);
// Whether `slot` lies in storage given back at tick `since` or later and not yet released.
bool givenbacksince(family* shared, variable const* slot, unsigned long long since);
// Links a worker thread of a parallel block into the family, and unlinks it.
void addthread(family* shared, threadstate* thread);
void removethread(family* shared, threadstate* thread);

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

// The family whose lock this thread holds, or null.
family* lockedfamily();

} // namespace vesk
