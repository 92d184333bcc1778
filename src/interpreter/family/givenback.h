// givenback.h - storage given back by its owner, waiting until no statement can refer to it.
// Storage stored at tick `born` and given back at tick `retired` may still be held by a
// statement that was running then, or by a statement that ran while the storage existed and
// now waits for a call. Invariant: an item is released once every thread's running statement
// began after `retired` and every thread's waiting statements made their calls before `born`;
// until then it stays in `retired` (oldest first) or `waiting` (a heap, the most recently
// stored first).
#pragma once

#include "familylock.h"
#include "vesk.h"

namespace vesk {

// Storage given back: the record that referred to it, when it was stored (the stamp of the
// record) and when it was given back. `own`: only the list's own blocks and index go (a host
// reset it), not the lists inside it.
struct retiredvalue {
  variable value;
  unsigned long long born;
  unsigned long long retired;
  bool own;
};

struct givenback {
  retiredvalue* retired = nullptr; // from `retiredhead` on
  int retiredhead = 0;
  int retiredcount = 0;
  int retiredcapacity = 0;
  retiredvalue* waiting = nullptr;
  int waitingcount = 0;
  int waitingcapacity = 0;
};

// Takes room for the first items of both lists (a family's start); false without memory.
bool reserve(givenback& storage);
// Takes `value` (a list or named list) in at tick `now`; false without memory to keep it (the
// storage is then never released, which is safe; the room reserved at the start makes that
// happen only when more is given back at once than ever before).
bool retire(givenback& storage, variable const& value, unsigned long long now, bool own);
// Releases what no thread of the list from `threads` can hold any more.
void collect(givenback& storage, threadstate const* threads);
// Whether `slot` lies in storage given back at tick `since` or later and not yet released.
bool givenbacksince(givenback const& storage, variable const* slot, unsigned long long since);
// Releases everything, at the end of the family.
void releaseall(givenback& storage);

} // namespace vesk
