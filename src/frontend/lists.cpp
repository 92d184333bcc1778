// lists.cpp - list values built while an expression is evaluated: list and named-list
// literals, "+" of two lists (concatenation) and of two named lists (merge). Results live in
// the operand stack's arena; the operands, which may be stored variables, are never changed.
#include <cstring>

#include "frontend/symbolizer.h"
#include "interpreter/internal.h"

namespace vesk {

namespace {
bool ischar(token const& t, char c) {
  return t.type == chartoken && t.text[0] == c && t.text[1] == '\0';
}
} // namespace

// Appends a shallow copy of every element of `source` (with its name, for named lists).
bool interpreter::copyinto(variable* target, variable* source) {
  variable walker = *source; // iterate a copy of the header: the source's cursor stays put
  bool named = source->isnamedlist();
  char* name = nullptr;
  for (variable* e = named ? walker.first(&name) : walker.first(); e != nullptr;
       e = named ? walker.next(&name) : walker.next()) {
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
// the left operand of "+" is never written.
bool interpreter::merge(variable* target, variable* source, int depth) {
  if (depth >= maxdatadepth) {
    error("lists nested too deeply");
    return false;
  }
  variable walker = *source;
  char* name = nullptr;
  for (variable* e = walker.first(&name); e != nullptr; e = walker.next(&name)) {
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
      bool ok = e->islist() ? copyinto(fresh, e) : merge(fresh, e, depth + 1);
      if (!ok) return false;
      *existing = *fresh;
    } else {
      *existing = *e;
    }
  }
  return true;
}

// Replaces the two lists (or named lists) on top of the stack by their concatenation (merge).
bool interpreter::concatenate(bool named) {
  variable left = *opstack.top(1), right = *opstack.top(0);
  variable* result = newlist(named ? namedlisttype : listtype);
  if (result == nullptr || !copyinto(result, &left)) return false;
  if (!(named ? merge(result, &right, 0) : copyinto(result, &right))) return false;
  opstack.pop(2);
  return pushvalue(result);
}

// listliteral -> "{" { [name "="] boolterm [","] } "}"   (after the "{" has been read)
bool interpreter::listliteral() {
  variable* list = nullptr;
  bool named = false;
  token t, after;
  for (;;) {
    tokentype type = cursymbolizer->nexttoken(t);
    if (ischar(t, '}')) break;
    bool isnamed = false;
    if (type == nametoken && cursymbolizer->nexttoken(after) == assigntoken) {
      isnamed = true;
    } else {
      if (type == nametoken) cursymbolizer->pushback(after);
      cursymbolizer->pushback(t);
    }
    if (!boolterm()) return false;
    if (list == nullptr) {
      named = isnamed;
      list = newlist(named ? namedlisttype : listtype);
      if (list == nullptr) return false;
    } else if (named != isnamed) {
      error("mix of named and unnamed elements not allowed");
      return false;
    }
    variable none;
    variable* value = opstack.numelements() > 0 ? opstack.top(0) : &none;
    if ((named ? list->add(value, t.text) : list->add(value)) == nullptr) {
      error(msg_arenafull);
      return false;
    }
    opstack.pop(1);
    cursymbolizer->nexttoken(after);
    if (!ischar(after, ',')) cursymbolizer->pushback(after);
  }
  if (list == nullptr && (list = newlist(listtype)) == nullptr) return false;
  return pushvalue(list);
}

} // namespace vesk
