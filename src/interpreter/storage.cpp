// storage.cpp - values that outlive a statement: deep copies of lists into the plain heap for
// the global store (detachcopy), assignment over a stored value, and giving back the storage
// a stored value owns. Copies are bounded in nesting so that no value can exhaust the stack.
#include <new>

#include "family.h"
#include "internal.h"
#include "listset.h"
#include "values/storeheap.h"

namespace vesk {

namespace {

// Deep copy of `value` into `out`; false when memory runs out or lists nest too deeply.
bool detachcopy(variable* value, variable* out, int depth);

bool copyelements(variable* source, variable* copy, int depth) {
  variable walker = *source; // iterate a copy of the header: the source's cursor stays put
  char* name = nullptr;
  bool named = source->isnamedlist();
  variable* element = named ? walker.first(&name) : walker.first();
  while (element != nullptr) {
    variable detached;
    if (!detachcopy(element, &detached, depth + 1)) return false;
    variable* added = named ? copy->add(&detached, name ? name : "") : copy->add(&detached);
    if (added == nullptr) {
      releasevalue(&detached);
      return false;
    }
    element = named ? walker.next(&name) : walker.next();
  }
  return true;
}

bool detachcopy(variable* value, variable* out, int depth) {
  if (!value->islist() && !value->isnamedlist()) {
    *out = *value;
    return true;
  }
  if (depth >= maxdatadepth) return false;
  variable copy(value->type(), storeheap());
  if (!copyelements(value, &copy, depth)) {
    releasevalue(&copy);
    return false;
  }
  *out = copy;
  return true;
}

void release(variable* value, int depth) {
  if (!value->islist() && !value->isnamedlist()) return;
  if (depth < maxdatadepth) {
    variable walker = *value; // walking by cursor costs one step per element, not per block
    for (variable* e = walker.first(); e != nullptr; e = walker.next()) release(e, depth + 1);
  }
  value->reset();
}

} // namespace

void releasevalue(variable* value) { release(value, 0); }

bool storedcopy(variable* value, variable* copy) { return detachcopy(value, copy, 0); }

// Stores a deep copy of `value` in `target`, giving back what the target held before when the
// store owns it. The record stays at its address; flags and user data start cleared.
bool interpreter::assign(variable* target, variable* value, bool owned) {
  variable detached;
  if (!detachcopy(value, &detached, 0)) {
    error("memory exhausted or lists nested too deeply");
    return false;
  }
  if (owned) giveback(shared, target, outermost || createdhere(target));
  *target = variable(&detached, nullptr);
  if (outermost) return true;
  if (owned)
    remembercreated(&detached);
  else
    // A parameter of a script call belongs to a parameter list that the caller throws away
    // after the call, shallowly: the copy stored here is released once the call is over.
    giveback(shared, &detached, false);
  return true;
}

// Whether the list in `target` was stored by this (nested) run itself, so that no statement in
// progress elsewhere can hold it: not while another thread of the family waits in the middle of
// a statement (sleep, parallel), whose references this run cannot know.
bool interpreter::createdhere(variable* target) {
  if (created == nullptr || shared == nullptr || shared->paused > 0) return false;
  return created->remove(*target);
}

void interpreter::remembercreated(variable* list) {
  if (!list->islist() && !list->isnamedlist()) return;
  if (created == nullptr) created = new (std::nothrow) listset;
  if (created != nullptr) created->add(*list);
}

// A variable found through the parameters of this interpreter's call belongs to the caller:
// its lists may share storage with the caller's values and are never given back here.
bool interpreter::ownedbystore(char const* name) {
  return callparams == nullptr || callparams->find(name) == nullptr;
}

} // namespace vesk
