// storage.cpp - values that outlive a statement: deep copies of lists into the counted heap
// (stamped with the tick they were made at), assignment by the kind of slot written, and the
// giving back of stored storage. Every slot owns or borrows its value (machine.h, slotkind):
// an owner that drops a value retires it to the family, which releases it once no statement
// can hold a copy of its record. Copies are bounded in nesting so that no value exhausts the
// native stack.
#include <new>

#include "callframe.h"
#include "family.h"
#include "machine.h"
#include "release.h"
#include "storeaccess.h"
#include "storeheap.h"
#include "temporaries.h"

namespace vesk {

namespace {

bool islist(variable const& value) {
  return value.islist() || value.isnamedlist();
}

// A deep copy under way: the stamp of its lists, and the family whose stop request it looks at
// (null: none) with the steps it has taken.
struct copywalk {
  unsigned long long born;
  family const* watched;
  unsigned steps;
};

// Deep copy of `value` into `out`; false when memory runs out, lists nest too deeply or the
// host asks to stop.
bool detachcopy(variable* value, variable* out, copywalk& walk, int depth);

bool copyelements(variable* source, variable* copy, copywalk& walk, int depth) {
  variable walker = *source; // iterate a copy of the header: the source's cursor stays put
  char* name = nullptr;
  bool named = source->isnamedlist();
  variable* element = named ? walker.first(&name) : walker.first();
  while (element != nullptr) {
    if (stopasked(walk.watched, walk.steps)) return false;
    variable detached;
    if (!detachcopy(element, &detached, walk, depth + 1)) return false;
    variable* added = named ? copy->add(&detached, name ? name : "") : copy->add(&detached);
    if (added == nullptr) {
      releasevalue(&detached);
      return false;
    }
    element = named ? walker.next(&name) : walker.next();
  }
  return true;
}

bool detachcopy(variable* value, variable* out, copywalk& walk, int depth) {
  if (!islist(*value)) {
    *out = *value;
    return true;
  }
  if (depth >= maxdatadepth) return false;
  variable copy(value->type(), storeheap());
  if (!copyelements(value, &copy, walk, depth)) {
    releasevalue(&copy);
    return false;
  }
  storeaccess::setstamp(copy, walk.born);
  *out = copy;
  return true;
}

} // namespace

slotkind elementkind(variable const& container) {
  allocater* storage = storeaccess::storage(container);
  if (storage == nullptr || storage == storeheap()) return elementslot; // stored, or the host's
  return dynamic_cast<temporaries*>(storage) != nullptr ? temporaryslot : elementslot;
}

bool storedcopy(variable* value, variable* copy, unsigned long long born, family const* watched) {
  copywalk walk{born, watched, 0};
  return detachcopy(value, copy, walk, 0);
}

// Where the variable `name` (a dotted path included) is, as find() finds it: a variable of
// the store, a parameter of an overlay, or an element of a named list. False when it is not.
bool machine::locate(char const* name, target& where) {
  located at = vesk::locate(namesroot(), name);
  where.slot = at.value;
  where.container = at.container;
  if (at.value == nullptr) return false;
  if (at.container == at.root)
    where.kind = at.root == globals ? variableslot : parameterslot;
  else
    where.kind = elementkind(*at.container);
  return true;
}

// The variable `name` as the target of an assignment, added to the store (without a value)
// when it is nowhere. False, reported, when it cannot be added; false without a report when
// there is no store.
bool machine::findtarget(char const* name, target& where) {
  if (locate(name, where)) return true;
  if (globals == nullptr) return false;
  where.slot = addvariable(globals, name);
  where.kind = variableslot;
  where.container = globals;
  if (where.slot != nullptr) return true;
  error(msg_memory);
  where.failed = true;
  return false;
}

// Stores a deep copy of `value` in the target's slot. What the slot held before is given back
// when the slot owned it; what it holds now belongs to its owner: the store, the list, the
// call (parameters) or the temporaries of the statement whose list it is.
bool machine::assign(target const& to, variable* value) {
  variable* slot = to.slot;
  // A value that holds no list is its own deep copy.
  if (!islist(*value)) {
    variable copy(value, nullptr); // flags and user data start cleared
    if (ownsheld(to)) vesk::retire(shared, *slot);
    *slot = copy;
    return true;
  }
  variable stored;
  if (!storedcopy(value, &stored, shared->lock.clock, shared)) {
    if (!shared->stoprequested.load(std::memory_order_relaxed))
      error("memory exhausted or lists nested too deeply");
    return false;
  }
  bool kept = true;
  if (ownsheld(to))
    vesk::retire(shared, *slot);
  else if (to.kind == parameterslot)
    kept = frame->own(slot);
  else if (to.kind == temporaryslot)
    kept = static_cast<temporaries*>(storeaccess::storage(*to.container))->adopt(stored);
  if (!kept) {
    releasevalue(&stored);
    error(msg_memory);
    return false;
  }
  *slot = variable(&stored, nullptr); // flags and user data start cleared
  return true;
}

// Whether the target's slot owns what it holds. The host's parameters own their values as the
// elements of any list do; a script call's borrow theirs from the caller, and what the script
// stores there is the call's. A temporary list's elements belong to the statement.
bool machine::ownsheld(target const& to) const {
  switch (to.kind) {
  case variableslot:
  case elementslot:
    return true;
  case parameterslot:
    return frame == nullptr || !frame->givesback || frame->owns(to.slot);
  default:
    return false;
  }
}

// A number over a number is written in place (flags and user data cleared, as assign does);
// anything else goes the general way.
bool machine::assignnumber(target const& to, double number) {
  if (to.slot->isnumber()) {
    storeaccess::setnumber(*to.slot, number);
    return true;
  }
  variable value(number);
  return assign(to, &value);
}

// Whether the target was lost while the right side of its assignment ran: a variable the store
// lost elements meanwhile is found again by its name (and made anew when it was deleted); an
// element of a list that a call gave back meanwhile cannot be written, which is reported.
bool machine::targetmoved(target& to) {
  if (to.plain) {
    if (storeaccess::generation(*globals) == storebefore) return false;
    return !findtarget(to.name, to);
  }
  if (shared->calls == callsbefore || !givenbacksince(shared->storage, to.slot, tickbefore))
    return false;
  error("the target of the assignment was replaced while its value was computed");
  return true;
}

// Gives back the values the engine stored into lists of the last statement's temporaries.
void machine::retireoperands() {
  for (int i = 0; i < temps->adoptedcount(); ++i) vesk::retire(shared, temps->adoptedvalue(i));
  temps->forgetadopted();
}

} // namespace vesk
