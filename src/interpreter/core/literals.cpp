// literals.cpp - list values built while a statement runs: list and named-list literals, "+"
// of two lists (concatenation) and of two named lists (merge). Results live in the statement's
// temporaries; the operands, which may be stored variables, are never changed.
#include <cstring>
#include <new>

#include "machine.h"
#include "temporaries.h"

namespace vesk {

// A new empty list or named list whose record, blocks and index are temporaries of the
// statement; it lives until the operands are next reset. Null (after a message) when the
// statement has used up what it may take.
variable* machine::newlist(vartype type) {
  void* memory = temps->alloc(sizeof(variable), type == listtype ? "list" : "namedlist");
  if (memory == nullptr) {
    error(msg_arenafull);
    return nullptr;
  }
  return new (memory) variable(type, temps);
}

// "{": a literal begins; its list is made with its first element.
bool machine::openliteral() {
  if (!growopen(lists, listcount, listcapacity)) {
    error(msg_memory);
    return false;
  }
  lists[listcount++].list = nullptr;
  return true;
}

// An element: the value on top (nothing when the stack is empty), added and popped.
bool machine::addelement(bool named, char const* name) {
  variable*& list = lists[listcount - 1].list;
  if (list == nullptr && (list = newlist(named ? namedlisttype : listtype)) == nullptr)
    return false;
  variable scratch;
  variable* value = valueat(0, scratch);
  variable none;
  if (value == nullptr) value = &none;
  if ((named ? list->add(value, name) : list->add(value)) == nullptr) {
    error(msg_arenafull);
    return false;
  }
  popoperands(1);
  return true;
}

// "}": the literal's list is pushed; a literal without elements is an empty list.
bool machine::closeliteral() {
  variable* list = lists[--listcount].list;
  if (list == nullptr && (list = newlist(listtype)) == nullptr) return false;
  return pushrecord(list);
}

// Appends a shallow copy of every element of `source` (with its name, for named lists). A stop
// the host asks for meanwhile fails it without a message.
bool machine::copyinto(variable* target, variable* source) {
  variable walker = *source; // iterate a copy of the header: the source's cursor stays put
  bool named = source->isnamedlist();
  char* name = nullptr;
  for (variable* e = named ? walker.first(&name) : walker.first(); e != nullptr;
       e = named ? walker.next(&name) : walker.next()) {
    if (stopasked(shared, longsteps)) return false;
    if ((named ? target->add(e, name ? name : "") : target->add(e)) == nullptr) {
      error(msg_arenafull);
      return false;
    }
  }
  return true;
}

// Merges the named list `source` into `target`: new names are added; lists under one name are
// joined; named lists are merged likewise; otherwise the source's value replaces the target's.
// An element that changes is first replaced by a fresh copy, so that storage it shares with
// the left operand of "+" is never written. A stop fails it as it does copyinto.
bool machine::merge(variable* target, variable* source, int level) {
  if (level >= maxdatadepth) {
    error("lists nested too deeply");
    return false;
  }
  variable walker = *source;
  char* name = nullptr;
  for (variable* e = walker.first(&name); e != nullptr; e = walker.next(&name)) {
    if (stopasked(shared, longsteps)) return false;
    char const* key = name ? name : "";
    // A dotted name would be taken as a path into nested lists that the target shares.
    variable* existing = strchr(key, '.') ? nullptr : target->find(key);
    if (existing == nullptr) {
      if (target->add(e, key) == nullptr) {
        error(msg_arenafull);
        return false;
      }
    } else if ((existing->islist() && e->islist()) ||
               (existing->isnamedlist() && e->isnamedlist())) {
      variable* fresh = newlist(existing->type());
      if (fresh == nullptr || !copyinto(fresh, existing)) return false;
      bool ok = e->islist() ? copyinto(fresh, e) : merge(fresh, e, level + 1);
      if (!ok) return false;
      *existing = *fresh;
    } else {
      *existing = *e;
    }
  }
  return true;
}

// Replaces the two lists (or named lists) on top of the stack by their concatenation (merge).
bool machine::concatenate(bool named) {
  variable left = *operands[depth - 2].record, right = *operands[depth - 1].record;
  variable* result = newlist(named ? namedlisttype : listtype);
  if (result == nullptr || !copyinto(result, &left)) return false;
  if (!(named ? merge(result, &right, 0) : copyinto(result, &right))) return false;
  popoperands(2);
  return pushrecord(result);
}

} // namespace vesk
