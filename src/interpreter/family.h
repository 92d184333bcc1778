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

namespace vesk::platform {
struct allowedfolders;
}

namespace vesk {

class codebook;
struct scripttext;

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
  bool own; // only the list's own blocks and index go (a host's reset), not lists inside it
};

// The interpreters of one family execute one statement at a time: a thread holds the lock
// while it executes a statement (with everything that statement calls) and gives it up between
// statements, while it sleeps and while it waits for the parts of a parallel block. Everything
// below but `stoprequested` and `inuse` is read and written under the lock.
struct family {
  std::mutex lock;
  std::atomic<int> owners{1};             // the host's interpreters sharing it (copies)
  std::atomic<bool> stoprequested{false}; // set by the host, from any thread
  std::atomic<bool> inuse{false};         // a host's call is running in the family
  std::atomic<int> parallels{0}; // parallel blocks running: only then is the lock taken
  long long statementlimit = 0;           // 0: no limit
  long long executed = 0;                 // statements since the host's call began, up to the
                                          // last check
  long long budget = 0;  // statements that may begin before the next check
  long long granted = 0; // what the last check granted
  bool halted = false;                    // the run was stopped: no try may catch it
  vesk::logfunc hostlog = nullptr;        // where the reason goes, even from a try body
  // The host's hook, called before each statement while it is set (every statement then takes
  // the full check, which calls it), with the interpreter it was set on and its data.
  statementhook hook = nullptr;
  interpreter* hookowner = nullptr;
  void* hookdata = nullptr;
  std::atomic<vesk::logfunc> reportto{nullptr}; // the host's last log function, for misuse
  errorqueue errors;                      // what try bodies of the family collected
  // Set for good once the host confines the family (interpreter::allowfolder): the folders the
  // file built-ins may act in (null when none could be held), and called scripts are found
  // only by names that stay in their folders.
  bool confined = false;
  platform::allowedfolders* files = nullptr;

  unsigned long long clock = 1; // ticks: statements begin, calls suspend, storage is stored
  unsigned long long calls = 0; // functions and scripts called so far
  unsigned long long registrygeneration = 0; // functions registered so far
  unsigned long long pathsgeneration = 0;    // changes of the script folders
  threadstate host;             // the thread of the host's call
  threadstate* threads = &host; // host first, then the worker threads of parallel blocks
  retiredvalue* retired = nullptr; // given back, oldest first, from `retiredhead` on
  int retiredhead = 0;
  int retiredcount = 0;
  int retiredcapacity = 0;
  retiredvalue* waiting = nullptr; // given back and held by a waiting statement: a heap, the
  int waitingcount = 0;            // most recently stored first
  int waitingcapacity = 0;

  // The compiled lines of script texts the family runs, a book per text, the least recently
  // used making room; a book in use by a run is not taken away.
  struct keptbook {
    scripttext* script = nullptr; // a use of it is held
    codebook* book = nullptr;
    int users = 0;
    unsigned long long used = 0;
  };
  static constexpr int keptbooks = 32;
  keptbook books[keptbooks];
  keptbook* lastbook = nullptr; // the one taken last, looked at first
  unsigned long long bookuses = 0;

  recycler parameterstorage; // the parameter lists of calls, taken under the lock
  // Nested interpreters kept for reuse (see interpreterpool.cpp), taken and given back under
  // the lock or while no other thread of the family runs; released with the family.
  static constexpr int keptnested = 8;
  engine* spares[keptnested] = {};
  int sparecount = 0;
};

// A family for a host's interpreter, with one owner; another interpreter (a copy) takes a
// share of it, and the last owner to let go releases it with everything it keeps.
family* newfamily();
void sharefamily(family* shared);
void releasefamily(family* shared);

// The book of the compiled lines of `script`, taken for a run (null when none can be had), and
// given back when the run is over.
codebook* takebook(family* shared, scripttext* script);
void givebook(family* shared, codebook* book);

// A statement of `thread` begins or has ended; between two statements storage that nobody can
// hold any more is released.
inline void beginstatement(family* shared, threadstate* thread) {
  thread->statement = ++shared->clock;
}
void collect(family* shared);
inline void endstatement(family* shared, threadstate* thread) {
  thread->statement = 0;
  if (shared->retiredcount > shared->retiredhead || shared->waitingcount > 0) collect(shared);
}
// The storage of `value` (a list or named list with every list inside it; the record itself is
// left alone) is given back: it is released once no statement of the family can hold it.
void retire(family* shared, variable const& value);
// The same for what a host gives back with reset() while a statement runs one of its
// functions: only the list's own blocks and index; false without memory to keep it.
bool retireown(family* shared, variable const& list);
// Whether `slot` lies in storage given back at tick `since` or later and not yet released.
bool givenbacksince(family* shared, variable const* slot, unsigned long long since);
// Links a worker thread of a parallel block into the family, and unlinks it.
void addthread(family* shared, threadstate* thread);
void removethread(family* shared, threadstate* thread);

// Holds the family's lock for one statement while a parallel block runs in the family (a
// second thread may be in it), unless this thread holds it already.
class statementlock {
public:
  explicit statementlock(family* shared) : held(shared) {
    if (shared != nullptr && shared->parallels.load(std::memory_order_relaxed) > 0) take();
  }
  ~statementlock() {
    if (acquired) give();
  }
  statementlock(statementlock const&) = delete;
  statementlock& operator=(statementlock const&) = delete;

private:
  void take();
  void give();
  family* held;
  family* outer = nullptr;
  bool acquired = false;
};

// Gives the lock up (when this thread holds it) until resume: around sleeping and waiting.
// pause returns whether it was held, to be handed to resume.
bool pause(family* shared);
void resume(family* shared, bool washeld);

// The family whose statements this thread runs (the host's thread during a call, a worker
// thread during its part of a parallel block), or null; set returns the one it replaces.
family* runningfamily();
family* setrunningfamily(family* shared);

} // namespace vesk
