// selectors.cpp - element access: chains of "." member and "[..]" index selectors after a
// name, read as an operand (each selected value pushed on the operand stack) or as the target
// of an assignment (deref: the element itself, changed in place). Selectors never create.
#include <climits>
#include <cmath>
#include <cstdio>

#include "frontend/symbolizer.h"
#include "interpreter/internal.h"
#include "values/storeaccess.h"

namespace vesk {

namespace {

bool ischar(token const& t, char c) {
  return t.type == chartoken && t.text[0] == c && t.text[1] == '\0';
}

// Truncates toward zero into 32 bits; NaN and values out of range give INT_MIN, which no
// index accepts.
int truncate32(double value) {
  if (!(value > INT_MIN - 1.0 && value < INT_MAX + 1.0)) return INT_MIN;
  return static_cast<int>(value);
}

} // namespace

// The value a selector applies to: the current one, or the variable a text names. A text
// names a variable wherever it is, so the target's kind follows it there.
variable* interpreter::selectable(target& current, bool onstack) {
  variable* value = current.slot;
  if (value == nullptr || !value->isstring()) return value;
  char name[maxtextlen + 1];
  copytext(name, value->string(), maxtextlen);
  if (onstack) return find(name);
  return locate(name, current) ? current.slot : nullptr;
}

// The element `element` of the list `list` becomes the current target.
void interpreter::select(target& current, variable* list, variable* element) {
  current.kind = elementkind(*list);
  current.container = list;
  current.slot = element;
}

// "." member: the current value (a named list, or a text naming one) and a member name.
bool interpreter::selectmember(target& current, char* lastname, bool onstack) {
  variable* value = selectable(current, onstack);
  if (value == nullptr) {
    error("element '%s' (before '.') unknown", lastname);
    return false;
  }
  if (!value->isnamedlist()) {
    error("'.' can be used after named lists only");
    return false;
  }
  token member;
  tokentype type = cursymbolizer->nexttoken(member);
  if (type != nametoken && type != stringtoken) {
    error("string oder name erwartet (nach '.')");
    return false;
  }
  located at = vesk::locate(value, member.text);
  if (at.value == nullptr) {
    error("unbekanntes element (nach '.')");
    return false;
  }
  select(current, at.container, at.value);
  copytext(lastname, member.text, maxtokentext);
  return true;
}

// "[" index "]": the current value (a list or named list, or a text naming one) and a position.
bool interpreter::selectindex(target& current, bool onstack) {
  variable* value = selectable(current, onstack);
  if (value == nullptr) {
    error("element before '[' unknown");
    return false;
  }
  if (!value->islist() && !value->isnamedlist()) {
    error("'[' can be used after lists only");
    return false;
  }
  nestinglevel level(nesting);
  if (level.toodeep()) {
    error(msg_toodeep);
    return false;
  }
  if (!factor()) return false;
  if (!opstack.isof(numbertype, 0)) {
    error("numerical expression in [..] expected");
    return false;
  }
  int i = truncate32(opstack.number(0));
  opstack.pop(1);
  if (i < 0 || i >= value->count()) {
    char text[messagesize];
    snprintf(text, sizeof text, "numerical expression in [..] is %d; valid range is 0..%d", i,
             value->count() - 1);
    error(text);
    return false;
  }
  select(current, value, value->index(i));
  token close;
  cursymbolizer->nexttoken(close);
  if (ischar(close, ']')) return true;
  error("']' missing");
  return false;
}

// Applies selectors while "." or "[" follows. On the stack (operands), each selected value is
// pushed and the next step starts from that copy; otherwise the elements themselves are used.
bool interpreter::selectors(target& current, char const* firstname, bool onstack) {
  char lastname[maxtokentext + 1];
  copytext(lastname, firstname, maxtokentext);
  for (;;) {
    if (cursymbolizer->peektype() != chartoken) break;
    token const& t = cursymbolizer->peektoken();
    bool member = ischar(t, '.');
    if (!member && !ischar(t, '[')) break;
    cursymbolizer->skiptoken();
    if (!(member ? selectmember(current, lastname, onstack) : selectindex(current, onstack)))
      return false;
    if (onstack) {
      if (!pushvalue(current.slot)) return false;
      current.slot = opstack.top(0);
    }
  }
  return true;
}

// deref -> (name | string | quoted) selectors; the assignment target, or null. A first name
// that the store lacks is created only when "=" follows, so that a statement that is not an
// assignment leaves the store as it found it.
variable* interpreter::deref(bool create, target& where) {
  where = target{};
  token first;
  tokentype type = cursymbolizer->nexttoken(first);
  if (type != nametoken && type != stringtoken && type != quotedtoken) return nullptr;
  copytext(where.name, first.text, maxtokentext);
  if (!locate(first.text, where)) {
    if (!create || globals == nullptr) return nullptr;
    if (cursymbolizer->peektype() != assigntoken) return nullptr;
    where.plain = true;
    return findtarget(first.text, where) ? where.slot : nullptr;
  }
  variable* found = where.slot;
  if (!selectors(where, first.text, false)) {
    where.failed = true;
    return nullptr;
  }
  where.plain = where.slot == found;
  return where.slot;
}

} // namespace vesk
