// chains.cpp - element chains: "." member and "[..]" index selectors after a name, read as an
// operand (each selected value pushed as a record, the next step starting from that copy) or
// as the target of an assignment (the element itself, changed in place, with the kind of its
// slot). A text as the current value stands for the variable it names. Selectors never create.
#include <climits>
#include <cstdio>

#include "machine.h"
#include "storeaccess.h"

namespace vesk {

namespace {

// Truncates toward zero into 32 bits; NaN and values out of range give INT_MIN, which no
// index accepts.
int truncate32(double value) {
  if (!(value > INT_MIN - 1.0 && value < INT_MAX + 1.0)) return INT_MIN;
  return static_cast<int>(value);
}

} // namespace

// The value a selector applies to: the current one, or the variable a text names. As a
// target, the text leads the target's kind to where that variable is.
variable* machine::selectable(target& current, bool onstack) {
  variable* value = current.slot;
  if (value == nullptr || !value->isstring()) return value;
  if (onstack) return find(value->string());
  char name[maxtextlen + 1];
  copytext(name, value->string(), maxtextlen);
  return locate(name, current) ? current.slot : nullptr;
}

// The element `element` of the list `list` becomes the current target (its kind matters only
// to an assignment's target).
void machine::select(target& current, variable* list, variable* element, bool ontarget) {
  if (ontarget) current.kind = elementkind(*list);
  current.container = list;
  current.slot = element;
}

// An element chain read as an operand begins at a variable of the store (none: null).
bool machine::openchainat(variable* base) {
  if (!growopen(chains, chaincount, chaincapacity)) {
    error(msg_memory);
    return false;
  }
  chains[chaincount++] = {depth, base};
  return true;
}

// An operand chain reads on from the element `current` found: the chain's one operand (pushed
// by its first selector, written over by each later one) becomes a copy of it, so that a chain
// of any length takes one slot of the operand stack.
bool machine::chainstep(target& current) {
  if (depth > chains[chaincount - 1].depth) {
    variable value = *current.slot;
    *operands[depth - 1].record = value;
  } else if (!pushrecord(current.slot)) {
    return false;
  }
  current.slot = operands[depth - 1].record;
  return true;
}

// The chain leaves one operand, its last value; what it pushed on the way goes.
bool machine::closechain() {
  openchain chain = chains[--chaincount];
  variable last = *operands[depth - 1].record;
  popoperands(depth - chain.depth);
  return pushvalue(&last);
}

// One selector of a chain: the target of the assignment, or the innermost operand chain.
bool machine::selector(instruction const& in) {
  bool ontarget = (in.flag & selecttarget) != 0;
  target operandchain;
  target& current = ontarget ? aim : operandchain;
  if (!ontarget) current.slot = chains[chaincount - 1].current;
  bool ok;
  if (in.code == op_member)
    ok = (in.flag & memberbefore) ? checkmember(current, in.text, !ontarget)
                                  : selectmember(current, in.text, !ontarget);
  else if (in.code == op_indexopen)
    ok = checkindex(current, !ontarget);
  else
    ok = selectindex(current, in.number != 0, !ontarget);
  if (!ontarget) chains[chaincount - 1].current = current.slot;
  return ok;
}

// Before ".": the current value (a named list, or a text naming one).
bool machine::checkmember(target& current, char const* lastname, bool onstack) {
  variable* value = selectable(current, onstack);
  if (value == nullptr) {
    error("element '%s' (before '.') unknown", lastname);
    return false;
  }
  if (!value->isnamedlist()) {
    error("'.' can be used after named lists only");
    return false;
  }
  current.slot = value;
  return true;
}

// "." name: the member of the named list reached (a text in double quotes may be a path).
bool machine::selectmember(target& current, char const* name, bool onstack) {
  located at = vesk::locate(current.slot, name);
  if (at.value == nullptr) {
    error("unbekanntes element (nach '.')");
    return false;
  }
  select(current, at.container, at.value, !onstack);
  return !onstack || chainstep(current);
}

// Before "[": the current value (a list or named list, or a text naming one).
bool machine::checkindex(target& current, bool onstack) {
  variable* value = selectable(current, onstack);
  if (value == nullptr) {
    error("element before '[' unknown");
    return false;
  }
  if (!value->islist() && !value->isnamedlist()) {
    error("'[' can be used after lists only");
    return false;
  }
  current.slot = value;
  return true;
}

// "]": the element at the index on top of the stack; a named list is indexed by position.
bool machine::selectindex(target& current, bool missing, bool onstack) {
  if (!isnumber(0)) {
    error("numerical expression in [..] expected");
    return false;
  }
  int i = truncate32(numberat(0));
  popoperands(1);
  variable* list = current.slot;
  if (i < 0 || i >= list->count()) {
    char text[messagesize];
    snprintf(text, sizeof text, "numerical expression in [..] is %d; valid range is 0..%d", i,
             list->count() - 1);
    error(text);
    return false;
  }
  select(current, list, list->index(i), !onstack);
  if (onstack && !chainstep(current)) return false;
  if (!missing) return true;
  error("']' missing");
  return false;
}

} // namespace vesk
