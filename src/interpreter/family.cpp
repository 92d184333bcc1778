// family.cpp - shared state of an interpreter and its nested interpreters: the statement lock
// (see family.h) and the release of storage given back. Storage stored at tick `born` and
// given back at tick `retired` may still be held by a statement that was running then, or by
// a statement that ran while the storage existed and now waits for a call: it is released
// once every thread's running statement began after `retired` and every thread's waiting
// statements made their calls before `born`.
#include "family.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "codebook.h"
#include "engine.h"
#include "platform.h"
#include "releasehold.h"
#include "scripttexts.h"
#include "storeaccess.h"

namespace vesk {

namespace {

// Thread-local state of the library, in the static model where the system has one: a few
// words, read on every statement.
#if defined(__ELF__)
#define VESK_FASTTLS __attribute__((tls_model("initial-exec")))
#else
#define VESK_FASTTLS
#endif

VESK_FASTTLS thread_local family* heldfamily = nullptr;    // whose lock this thread holds
VESK_FASTTLS thread_local family* currentfamily = nullptr; // whose statements it runs

// The most recently stored waiting value first: it is the first that a return from a call
// frees.
bool olderstored(retiredvalue const& a, retiredvalue const& b) { return a.born < b.born; }

// Room for one more element in a growable array; false (nothing changed) without memory.
bool makeroom(retiredvalue*& items, int count, int& capacity) {
  if (count < capacity) return true;
  int larger = capacity ? capacity * 2 : 64;
  void* grown = realloc(items, sizeof(retiredvalue) * static_cast<size_t>(larger));
  if (grown == nullptr) return false;
  items = static_cast<retiredvalue*>(grown);
  capacity = larger;
  return true;
}

// Moves a value that waiting statements may hold to the heap of waiting values; without
// memory it is kept for good, which is safe.
void wait(family* shared, retiredvalue const& item) {
  if (!makeroom(shared->waiting, shared->waitingcount, shared->waitingcapacity)) return;
  shared->waiting[shared->waitingcount++] = item;
  std::push_heap(shared->waiting, shared->waiting + shared->waitingcount, olderstored);
}

// Whether `slot` is an element of the list `tree` or of a list inside it.
bool holds(variable const& tree, variable const* slot, int depth) {
  if ((!tree.islist() && !tree.isnamedlist()) || depth >= maxdatadepth) return false;
  variable walker = tree;
  for (variable* e = walker.first(); e != nullptr; e = walker.next())
    if (e == slot || holds(*e, slot, depth + 1)) return true;
  return false;
}

// Gives back what a retired value holds: its lists with every list inside them, or a host's
// reset list's own storage (released here, not held again).
void release(retiredvalue& item) {
  if (!item.own) {
    releasevalue(&item.value);
    return;
  }
  releasehold none = setreleasehold({});
  item.value.reset();
  setreleasehold(none);
}

bool retireitem(family* shared, variable const& value, bool own) {
  if (!makeroom(shared->retired, shared->retiredcount, shared->retiredcapacity)) return false;
  // A list the engine did not store existed before any statement of the family began.
  unsigned long long born = storeaccess::stamp(value);
  shared->retired[shared->retiredcount++] = {value, born ? born : 1, shared->clock, own};
  return true;
}

} // namespace

family* newfamily() { return new (std::nothrow) family; }

void sharefamily(family* shared) { shared->owners.fetch_add(1, std::memory_order_relaxed); }

void releasefamily(family* shared) {
  if (shared == nullptr || shared->owners.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  for (family::keptbook& kept : shared->books) {
    codebook::release(kept.book);
    if (kept.script != nullptr) releasescripttext(kept.script);
  }
  for (int i = shared->retiredhead; i < shared->retiredcount; ++i) release(shared->retired[i]);
  for (int i = 0; i < shared->waitingcount; ++i) release(shared->waiting[i]);
  free(shared->retired);
  free(shared->waiting);
  while (shared->sparecount > 0) delete shared->spares[--shared->sparecount];
  platform::deleteallowedfolders(shared->files);
  delete shared;
}

codebook* takebook(family* shared, scripttext* script) {
  family::keptbook* slot = nullptr;
  family::keptbook* last = shared->lastbook;
  if (last != nullptr && last->script == script) {
    ++last->users;
    last->used = ++shared->bookuses;
    return last->book;
  }
  for (family::keptbook& kept : shared->books) {
    if (kept.script == script) {
      slot = &kept;
      break;
    }
    if (kept.users == 0 && (slot == nullptr || kept.used < slot->used)) slot = &kept;
  }
  if (slot == nullptr) return nullptr; // every book is in use
  if (slot->script != script) {
    codebook* book = codebook::make(script->count);
    if (book == nullptr) return nullptr;
    codebook::release(slot->book);
    if (slot->script != nullptr) releasescripttext(slot->script);
    usescripttext(script);
    slot->script = script;
    slot->book = book;
  }
  ++slot->users;
  slot->used = ++shared->bookuses;
  shared->lastbook = slot;
  return slot->book;
}

void givebook(family* shared, codebook* book) {
  if (book == nullptr) return;
  if (shared->lastbook != nullptr && shared->lastbook->book == book) {
    --shared->lastbook->users;
    return;
  }
  for (family::keptbook& kept : shared->books)
    if (kept.book == book) --kept.users;
}

void retire(family* shared, variable const& value) {
  if (value.islist() || value.isnamedlist()) retireitem(shared, value, false);
}

bool retireown(family* shared, variable const& list) { return retireitem(shared, list, true); }

void collect(family* shared) {
  unsigned long long firstrunning = ~0ull, lastsuspended = 0;
  for (threadstate* t = shared->threads; t != nullptr; t = t->next) {
    if (t->statement != 0) firstrunning = std::min(firstrunning, t->statement);
    lastsuspended = std::max(lastsuspended, t->suspended);
  }
  int i = shared->retiredhead;
  for (; i < shared->retiredcount && shared->retired[i].retired < firstrunning; ++i) {
    if (shared->retired[i].born > lastsuspended)
      release(shared->retired[i]);
    else
      wait(shared, shared->retired[i]);
  }
  shared->retiredhead = i;
  if (shared->retiredhead == shared->retiredcount) shared->retiredhead = shared->retiredcount = 0;
  // A statement that waited for a call runs again with the tick it began at: what was given
  // back after that tick waits on.
  while (shared->waitingcount > 0 && shared->waiting[0].born > lastsuspended &&
         shared->waiting[0].retired < firstrunning) {
    std::pop_heap(shared->waiting, shared->waiting + shared->waitingcount, olderstored);
    release(shared->waiting[--shared->waitingcount]);
  }
}

bool givenbacksince(family* shared, variable const* slot, unsigned long long since) {
  for (int i = shared->retiredhead; i < shared->retiredcount; ++i)
    if (shared->retired[i].retired >= since && holds(shared->retired[i].value, slot, 0))
      return true;
  for (int i = 0; i < shared->waitingcount; ++i)
    if (shared->waiting[i].retired >= since && holds(shared->waiting[i].value, slot, 0))
      return true;
  return false;
}

void addthread(family* shared, threadstate* thread) {
  thread->next = shared->host.next;
  shared->host.next = thread;
}

void removethread(family* shared, threadstate* thread) {
  for (threadstate* t = &shared->host; t->next != nullptr; t = t->next) {
    if (t->next != thread) continue;
    t->next = thread->next;
    return;
  }
}

void statementlock::take() {
  if (heldfamily == held) return;
  outer = heldfamily;
  acquired = true;
  held->lock.lock();
  heldfamily = held;
}

void statementlock::give() {
  heldfamily = outer;
  held->lock.unlock();
}

bool pause(family* shared) {
  if (shared == nullptr || heldfamily != shared) return false;
  heldfamily = nullptr;
  shared->lock.unlock();
  return true;
}

void resume(family* shared, bool washeld) {
  if (!washeld) return;
  shared->lock.lock();
  heldfamily = shared;
}

family* runningfamily() { return currentfamily; }

family* setrunningfamily(family* shared) {
  family* before = currentfamily;
  currentfamily = shared;
  return before;
}

} // namespace vesk
