// familylock.h - one statement at a time in a family of interpreters. A thread holds the lock
// while it runs a statement (and everything that statement calls), and gives it up between
// statements, while it sleeps and while it waits for the parts of a parallel block; the lock is
// taken only while a parallel block has a second thread in the family. The clock's ticks order
// statements, calls and stored storage. Invariant: a thread holds at most one family's lock,
// and `clock` and `threads` change only under it (or while one thread alone is in the family).
#pragma once

#include <atomic>
#include <mutex>

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

struct familylock {
  std::mutex mutex;
  std::atomic<int> parallels{0}; // parallel blocks running: only then is the lock taken
  unsigned long long clock = 1;  // ticks: statements begin, calls suspend, storage is stored
  threadstate host;              // the thread of the host's call
  threadstate* threads = &host;  // host first, then the worker threads of parallel blocks
};

// A statement of `thread` begins.
inline void beginstatement(familylock& lock, threadstate* thread) {
  thread->statement = ++lock.clock;
}

// Links a worker thread of a parallel block into the family, and unlinks it.
void addthread(familylock& lock, threadstate* thread);
void removethread(familylock& lock, threadstate* thread);

// Holds the lock for one statement while a parallel block runs in the family (a second thread
// may be in it), unless this thread holds it already.
class statementlock {
public:
  explicit statementlock(familylock* lock) : held(lock) {
    if (lock != nullptr && lock->parallels.load(std::memory_order_relaxed) > 0) take();
  }
  ~statementlock() {
    if (acquired) give();
  }
  statementlock(statementlock const&) = delete;
  statementlock& operator=(statementlock const&) = delete;

private:
  void take();
  void give();
  familylock* held;
  familylock* outer = nullptr;
  bool acquired = false;
};

// Gives the lock up (when this thread holds it) until resume: around sleeping and waiting.
// pause returns whether it was held, to be handed to resume.
bool pause(familylock* lock);
void resume(familylock* lock, bool washeld);

} // namespace vesk
