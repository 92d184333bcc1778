// givenback.cpp - the two lists of given-back storage and their release; a list that a host
// reset is released with its own reset, not held again.
#include "givenback.h"

#include <algorithm>
#include <cstdlib>

#include "release.h"
#include "releasehold.h"
#include "storeaccess.h"
#include "valuelimits.h"

namespace vesk {

namespace {

// The most recently stored waiting value first: it is the first that a return from a call
// frees.
bool olderstored(retiredvalue const& a, retiredvalue const& b) {
  return a.born < b.born;
}

constexpr int firstcapacity = 64; // items of each list that a family starts with

// Room for one more element in a growable array; false (nothing changed) without memory.
bool makeroom(retiredvalue*& items, int count, int& capacity) {
  if (count < capacity) return true;
  int larger = capacity ? capacity * 2 : firstcapacity;
  void* grown = realloc(items, sizeof(retiredvalue) * static_cast<size_t>(larger));
  if (grown == nullptr) return false;
  items = static_cast<retiredvalue*>(grown);
  capacity = larger;
  return true;
}

// Moves a value that waiting statements may hold to the heap of waiting values; false without
// memory for it.
bool wait(givenback& storage, retiredvalue const& item) {
  if (!makeroom(storage.waiting, storage.waitingcount, storage.waitingcapacity)) return false;
  storage.waiting[storage.waitingcount++] = item;
  std::push_heap(storage.waiting, storage.waiting + storage.waitingcount, olderstored);
  return true;
}

// Whether `slot` is an element of the list `tree` or of a list inside it.
bool holds(variable const& tree, variable const* slot, int depth) {
  if ((!tree.islist() && !tree.isnamedlist()) || depth >= maxdatadepth) return false;
  variable walker = tree;
  for (variable* e = walker.first(); e != nullptr; e = walker.next())
    if (e == slot || holds(*e, slot, depth + 1)) return true;
  return false;
}

void release(retiredvalue& item) {
  if (!item.own) {
    releasevalue(&item.value);
    return;
  }
  releasehold none = setreleasehold({});
  item.value.reset();
  setreleasehold(none);
}

} // namespace

bool reserve(givenback& storage) {
  return makeroom(storage.retired, 0, storage.retiredcapacity) &&
         makeroom(storage.waiting, 0, storage.waitingcapacity);
}

bool retire(givenback& storage, variable const& value, unsigned long long now, bool own) {
  if (!makeroom(storage.retired, storage.retiredcount, storage.retiredcapacity)) return false;
  // A list the engine did not store existed before any statement of the family began.
  unsigned long long born = storeaccess::stamp(value);
  storage.retired[storage.retiredcount++] = {value, born ? born : 1, now, own};
  return true;
}

void collect(givenback& storage, threadstate const* threads) {
  unsigned long long firstrunning = ~0ull, lastsuspended = 0;
  for (threadstate const* t = threads; t != nullptr; t = t->next) {
    if (t->statement != 0) firstrunning = std::min(firstrunning, t->statement);
    lastsuspended = std::max(lastsuspended, t->suspended);
  }
  // Without memory to move a value to the waiting ones, it and those after it stay here and
  // are looked at again by the next collection.
  int i = storage.retiredhead;
  for (; i < storage.retiredcount && storage.retired[i].retired < firstrunning; ++i) {
    if (storage.retired[i].born > lastsuspended)
      release(storage.retired[i]);
    else if (!wait(storage, storage.retired[i]))
      break;
  }
  storage.retiredhead = i;
  if (storage.retiredhead == storage.retiredcount) storage.retiredhead = storage.retiredcount = 0;
  // A statement that waited for a call runs again with the tick it began at: what was given
  // back after that tick waits on.
  while (storage.waitingcount > 0 && storage.waiting[0].born > lastsuspended &&
         storage.waiting[0].retired < firstrunning) {
    std::pop_heap(storage.waiting, storage.waiting + storage.waitingcount, olderstored);
    release(storage.waiting[--storage.waitingcount]);
  }
}

bool givenbacksince(givenback const& storage, variable const* slot, unsigned long long since) {
  for (int i = storage.retiredhead; i < storage.retiredcount; ++i)
    if (storage.retired[i].retired >= since && holds(storage.retired[i].value, slot, 0))
      return true;
  for (int i = 0; i < storage.waitingcount; ++i)
    if (storage.waiting[i].retired >= since && holds(storage.waiting[i].value, slot, 0))
      return true;
  return false;
}

void releaseall(givenback& storage) {
  for (int i = storage.retiredhead; i < storage.retiredcount; ++i) release(storage.retired[i]);
  for (int i = 0; i < storage.waitingcount; ++i) release(storage.waiting[i]);
  free(storage.retired);
  free(storage.waiting);
  storage = givenback{};
}

} // namespace vesk
