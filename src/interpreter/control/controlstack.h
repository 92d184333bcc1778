// controlstack.h - the blocks a run has open: one item per block, pushed when it opens and
// taken off when it closes, at most ctrlstacksize of them. Invariant: the items are in the order
// the blocks opened; a line's handler leaves the stack as the line after it expects.
#pragma once

#include "languagelimits.h"
#include "vesk.h"

namespace vesk {

// Kinds of open blocks on the control stack.
enum blockkind {
  ifblock = 1,
  fortoblock = 5,
  foreachblock = 6,
  tryblock = 7,
  repeatblock = 8,
  doblock = 9
};

// One open block. target: ifblock/tryblock the line after the matching end, loops the first
// line of the body. catchtarget: tryblock the line after its catch, 0 without one. catching
// marks a tryblock whose catch part runs, so that a failure there goes to an outer try.
struct ctrlitem {
  int kind;
  double value;
  double limit;
  int target;
  int catchtarget;
  vesk::logfunc savedlog;
  char varname[maxloopnamelen + 1];
  char listname[maxloopnamelen + 1];
  bool catching;
  // Loops: where the loop variable was set last, and the store's generation then (while that
  // has not changed, the name still finds that variable).
  variable* counter;
  unsigned long long countergeneration;
  // foreachblock: the list's variable as found when the store had that generation, and the
  // element of the pass (item.value) with the storage, stamp and generation of the list it was
  // found in; while the variable holds that list still, the next element follows from it.
  variable* list;
  void* element;
  void const* liststorage;
  unsigned long long liststamp;
  unsigned long long listgeneration;
};

} // namespace vesk
