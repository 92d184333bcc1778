// atom.cpp - single operands: literals, parenthesised expressions, list literals, prefixes,
// and names, which resolve as a registered function, then a script file, then a variable of
// the global store. Parentheses, list literals and indexes nest at most maxnesting deep, and
// the native stack left is checked as well, so that no expression or chain of calls exhausts it.
#include "frontend/symbolizer.h"
#include "interpreter/internal.h"
#include "platform/platform.h"

namespace vesk {

namespace {

constexpr unsigned long stackreserve = 256 * 1024; // native stack kept free for the rest

bool ischar(token const& t, char c) {
  return t.type == chartoken && t.text[0] == c && t.text[1] == '\0';
}

// Whether the next token starts a selector: "." or "[".
bool selectorfollows(symbolizer& tokens) {
  token const& next = tokens.peektoken();
  return ischar(next, '.') || ischar(next, '[');
}

} // namespace

// atom -> "{" list | [prefix] ( "(" boolterm ")" | number | string | name [selectors] )
bool interpreter::atom() {
  // Every kind of recursion passes through here: keep room on the native stack.
  if (platform::stackroom() < stackreserve) {
    error(msg_toodeep);
    return false;
  }
  token t;
  tokentype type = cursymbolizer->nexttoken(t);
  if (ischar(t, '{')) {
    nestinglevel level(nesting);
    if (level.toodeep()) {
      error(msg_toodeep);
      return false;
    }
    return listliteral();
  }
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
    nestinglevel level(nesting);
    if (level.toodeep()) {
      error(msg_toodeep);
      return false;
    }
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
  if (cursymbolizer->peektype() == chartoken && selectorfollows(*cursymbolizer)) {
    // Values selected on the way are dropped: the chain leaves one operand, its last value.
    int below = opstack.numelements();
    target chain;
    chain.slot = find(text);
    if (!selectors(chain, text, true)) return false;
    variable last = *chain.slot;
    opstack.pop(opstack.numelements() - below);
    return pushvalue(&last);
  }
  if (scriptfunc func = findfunc(text)) return external(func, nullptr, text);
  if (!noscript(text)) {
    if (scripttext* known = knownscript(text)) return external(known, foundpath);
    if (FILE* script = findscript(text)) return external(nullptr, script, foundpath);
  }
  if (variable* value = find(text)) return pushvalue(value);
  error("unknown element '%s'", text);
  return false;
}

} // namespace vesk
