// storechanges.h - functions of the host that change what names mean while a script runs, for
// the fuzz targets: they add, replace and remove globals and members of named lists, put a
// list's elements in another order and register a function under a name. What most of them
// take out of the store stays alive until the host's call has returned; freeglobal gives it
// back at once, which the engine must hold for the statement that called it.
#pragma once

#include <cstring>
#include <utility>
#include <vector>

#include "fuzzing.h"
#include "vesk.h"

namespace fuzzing {

// The lists the functions below took out of the store during the host's call in progress.
inline std::vector<vesk::variable>& buried() {
  static std::vector<vesk::variable> lists;
  return lists;
}

// Takes the value of `slot` out of the store: its storage stays until releaseburied().
inline void bury(vesk::variable& slot) {
  if (slot.islist() || slot.isnamedlist()) buried().push_back(slot);
  slot = vesk::variable();
}

// For the host after each call: gives back what the functions took out of the store.
inline void releaseburied() {
  for (vesk::variable& list : buried()) release(list);
  buried().clear();
}

// A copy of `value` with storage of its own, the storage of nested lists included (copied to
// at most maxdepth levels, like the engine's own copies); flags and user data of the top
// record cleared, as an assignment clears them. False when no storage could be had: `into`
// holds nothing to give back then.
inline bool deepcopy(vesk::variable& value, vesk::variable& into, int depth = 0) {
  if (!value.islist() && !value.isnamedlist()) {
    into = vesk::variable(&value, nullptr);
    return true;
  }
  into = vesk::variable(value.type(), nullptr);
  bool const named = value.isnamedlist();
  vesk::variable walker = value;
  char* name = nullptr;
  for (vesk::variable* e = named ? walker.first(&name) : walker.first(); e != nullptr;
       e = named ? walker.next(&name) : walker.next()) {
    vesk::variable element;
    if (depth >= maxdepth || !deepcopy(*e, element, depth + 1)) {
      release(into);
      return false;
    }
    if ((named ? into.add(&element, name) : into.add(&element)) == nullptr) {
      release(element);
      release(into);
      return false;
    }
  }
  return true;
}

// A variable of the store itself, not of the parameters laid over it: found through a second
// handle on the store that has no overlay (the lookup only reads the name index they share).
inline vesk::variable* ownglobal(vesk::variables* globals, char const* name) {
  vesk::variables view;
  static_cast<vesk::variable&>(view) = *globals;
  view.setoverlay(nullptr);
  return view.find(name);
}

// The arguments of one call, by position; each one read is marked as used.
struct arguments {
  vesk::parameters* params;
  vesk::variable* at(int i) {
    vesk::variable* value = i < params->count() ? params->index(i) : nullptr;
    if (value != nullptr) value->processed(true);
    return value;
  }
  char const* text(int i) {
    vesk::variable* value = at(i);
    return value != nullptr && value->isstring() ? value->string() : nullptr;
  }
};

inline bool refuse(vesk::logfunc log, char const* message) {
  log(vesk::logerror, message);
  return false;
}

// Puts a copy of `value` into `slot` (a variable or member), in place of what it held.
inline bool replace(vesk::variable& slot, vesk::variable& value, vesk::logfunc log) {
  vesk::variable copy;
  if (!deepcopy(value, copy)) return refuse(log, "no storage for the copy");
  bury(slot);
  slot = copy;
  return true;
}

// setglobal(name, value): the global `name` (a dotted path reaches a member) holds a copy of
// `value`, in the record it had, or in a new one at the store's end.
inline bool setglobal(vesk::stack*, vesk::parameters* params, vesk::variables* globals,
                      vesk::logfunc log) {
  arguments args{params};
  char const* name = args.text(0);
  vesk::variable* value = args.at(1);
  if (name == nullptr || value == nullptr) return refuse(log, "setglobal takes a name and a value");
  if (vesk::variable* slot = ownglobal(globals, name)) return replace(*slot, *value, log);
  vesk::variable copy;
  if (!deepcopy(*value, copy)) return refuse(log, "no storage for the copy");
  if (globals->add(&copy, name) != nullptr) return true;
  release(copy);
  return refuse(log, "no storage for the variable");
}

// dropglobal(name): removes the global `name` (a plain name), as a host removes one.
inline bool dropglobal(vesk::stack*, vesk::parameters* params, vesk::variables* globals,
                       vesk::logfunc log) {
  arguments args{params};
  char const* name = args.text(0);
  vesk::variable* slot = name != nullptr && !strchr(name, '.') ? ownglobal(globals, name) : nullptr;
  if (slot == nullptr) return refuse(log, "dropglobal takes the name of a global");
  bury(*slot);
  return globals->remove(name);
}

// freeglobal(name): gives back the storage of the global `name` at once and removes it, as a
// host does that keeps nothing back: a statement that still holds the list must not notice.
// Its value is 1, so that it can stand inside the expression that holds the list.
inline bool freeglobal(vesk::stack* opstack, vesk::parameters* params, vesk::variables* globals,
                       vesk::logfunc log) {
  arguments args{params};
  char const* name = args.text(0);
  vesk::variable* slot = name != nullptr && !strchr(name, '.') ? ownglobal(globals, name) : nullptr;
  if (slot == nullptr) return refuse(log, "freeglobal takes the name of a global");
  release(*slot);
  return globals->remove(name) && opstack->push(1.0) != nullptr;
}

// The named list global `name`, or null.
inline vesk::variable* namedglobal(vesk::variables* globals, char const* name) {
  vesk::variable* list = name != nullptr ? ownglobal(globals, name) : nullptr;
  return list != nullptr && list->isnamedlist() ? list : nullptr;
}

// setmember(list, member, value): the member of the named list global holds a copy of
// `value`, in place, or appended when the list has no such member.
inline bool setmember(vesk::stack*, vesk::parameters* params, vesk::variables* globals,
                      vesk::logfunc log) {
  arguments args{params};
  vesk::variable* list = namedglobal(globals, args.text(0));
  char const* member = args.text(1);
  vesk::variable* value = args.at(2);
  if (list == nullptr || member == nullptr || value == nullptr)
    return refuse(log, "setmember takes a named list, a member name and a value");
  if (vesk::variable* slot = list->find(member)) return replace(*slot, *value, log);
  vesk::variable copy;
  if (!deepcopy(*value, copy)) return refuse(log, "no storage for the copy");
  if (list->add(&copy, member) != nullptr) return true;
  release(copy);
  return refuse(log, "no storage for the member");
}

// dropmember(list, member): removes the member (a plain name) of the named list global.
inline bool dropmember(vesk::stack*, vesk::parameters* params, vesk::variables* globals,
                       vesk::logfunc log) {
  arguments args{params};
  vesk::variable* list = namedglobal(globals, args.text(0));
  char const* member = args.text(1);
  vesk::variable* slot =
      list != nullptr && member != nullptr && !strchr(member, '.') ? list->find(member) : nullptr;
  if (slot == nullptr) return refuse(log, "dropmember takes a named list and one of its members");
  bury(*slot);
  return list->remove(member);
}

// reorder(name): the list or named list global `name` is replaced by a new one that holds
// copies of its elements in reverse order.
inline bool reorder(vesk::stack*, vesk::parameters* params, vesk::variables* globals,
                    vesk::logfunc log) {
  arguments args{params};
  char const* name = args.text(0);
  vesk::variable* slot = name != nullptr ? ownglobal(globals, name) : nullptr;
  if (slot == nullptr || (!slot->islist() && !slot->isnamedlist()))
    return refuse(log, "reorder takes the name of a list");
  bool const named = slot->isnamedlist();
  std::vector<std::pair<vesk::variable*, char*>> elements;
  vesk::variable walker = *slot;
  char* member = nullptr;
  for (vesk::variable* e = named ? walker.first(&member) : walker.first(); e != nullptr;
       e = named ? walker.next(&member) : walker.next())
    elements.emplace_back(e, member);
  vesk::variable reversed(slot->type(), nullptr);
  for (auto e = elements.rbegin(); e != elements.rend(); ++e) {
    vesk::variable copy;
    bool copied = deepcopy(*e->first, copy);
    if (copied && (named ? reversed.add(&copy, e->second) : reversed.add(&copy)) != nullptr)
      continue;
    if (copied) release(copy);
    release(reversed);
    return refuse(log, "no storage for the list");
  }
  bury(*slot);
  *slot = reversed;
  return true;
}

// The function a name may become: leaves the count of its arguments, all of them used.
inline bool countarguments(vesk::stack* opstack, vesk::parameters* params, vesk::variables*,
                           vesk::logfunc log) {
  arguments args{params};
  for (int i = 0; i < params->count(); ++i) args.at(i);
  return opstack->push(static_cast<double>(params->count())) != nullptr ||
         refuse(log, "no room for the result");
}

// The interpreter whose run is in progress, for define().
inline vesk::interpreter*& defining() {
  static vesk::interpreter* engine = nullptr;
  return engine;
}

// define(name): from now on `name` is the function countarguments; a name that is taken (or
// cannot be a function's) stays what it was.
inline bool define(vesk::stack*, vesk::parameters* params, vesk::variables*, vesk::logfunc log) {
  arguments args{params};
  char const* name = args.text(0);
  if (name == nullptr || defining() == nullptr) return refuse(log, "define takes a name");
  defining()->add(countarguments, name);
  return true;
}

// Registers the functions above under their names.
inline void addstorechanges(vesk::interpreter& engine) {
  struct named {
    vesk::scriptfunc func;
    char const* name;
  };
  static named const funcs[] = {{setglobal, "setglobal"},   {dropglobal, "dropglobal"},
                                {freeglobal, "freeglobal"}, {setmember, "setmember"},
                                {dropmember, "dropmember"}, {reorder, "reorder"},
                                {define, "define"}};
  for (named const& f : funcs)
    check(engine.add(f.func, f.name), "the functions that change the store can be registered");
}

} // namespace fuzzing
