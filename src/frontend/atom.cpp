// atom.cpp - single operands: literals, parenthesised expressions, list literals, prefixes,
// and names, which resolve as a registered function, then a script file, then a variable of
// the global store. Nesting of operands is bounded per thread so that no expression can
// exhaust the native stack.
#include "frontend/symbolizer.h"
#include "interpreter/internal.h"

namespace vesk {

namespace {

thread_local int nesting = 0; // operands being parsed on this thread, across interpreters

// Counts one level of operand nesting for as long as it lives.
struct nestinglevel {
  nestinglevel() { ++nesting; }
  ~nestinglevel() { --nesting; }
  bool toodeep() const { return nesting > maxnesting; }
};

bool ischar(token const& t, char c) {
  return t.type == chartoken && t.text[0] == c && t.text[1] == '\0';
}

} // namespace

// atom -> "{" list | [prefix] ( "(" boolterm ")" | number | string | name [selectors] )
bool interpreter::atom() {
  nestinglevel level;
  if (level.toodeep()) {
    error("expression nested too deeply");
    return false;
  }
  token t;
  tokentype type = cursymbolizer->nexttoken(t);
  if (ischar(t, '{')) return listliteral();
  bool minus = false;
  if (type == minustoken || type == plustoken || ischar(t, '!')) {
    minus = type == minustoken;
    type = cursymbolizer->nexttoken(t);
  }
  if (!operand(t)) return false;
  if (minus) opstack.negate();
  return true;
}

// The operand that starts with token `t` (after any prefix).
bool interpreter::operand(token& t) {
  switch (t.type) {
  case integertoken: return pushnumber(t.integer);
  case realtoken: return pushnumber(t.real);
  case stringtoken: return pushstring(t.text);
  case nametoken:
  case quotedtoken: return name(t.text);
  default: break;
  }
  if (ischar(t, '(')) {
    if (!boolterm()) return false;
    cursymbolizer->nexttoken(t);
    if (ischar(t, ')')) return true;
    logfunc(logerror, "closing ')' expected");
    return false;
  }
  error(msg_syntax);
  cursymbolizer->pushback(t);
  return false;
}

// A name: an element chain when "." or "[" follows, else a function, a script or a variable.
bool interpreter::name(char const* text) {
  token next;
  cursymbolizer->nexttoken(next);
  cursymbolizer->pushback(next);
  if (ischar(next, '.') || ischar(next, '[')) {
    variable* result = nullptr;
    return selectors(find(text), text, true, &result);
  }
  if (scriptfunc func = findfunc(text)) return external(func, nullptr, text);
  if (FILE* script = findscript(text)) return external(nullptr, script, foundpath);
  if (variable* value = find(text)) return pushvalue(value);
  error("unknown element '%s'", text);
  return false;
}

} // namespace vesk
