// binary.cpp - the four binary levels of the expression evaluator, weakest first:
// boolterm (&& ||), comparison (== <> != > >= < <=), factor (+ -), term (* / %). Each parses
// its left operand, then applies its operators left to right on the operand stack: the right
// operand at position 0, the left at position 1, replaced by the result. No short-circuit.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "frontend/symbolizer.h"
#include "interpreter/family.h"
#include "interpreter/internal.h"
#include "values/fastpaths.h"
#include "values/storeaccess.h"

namespace vesk {

namespace {

bool comparisontoken(tokentype type) { return type >= eqtoken && type <= letoken; }

// Whether the relation `op` holds between two numbers (a NaN only ever differs).
bool holds(tokentype op, double left, double right) {
  switch (op) {
  case eqtoken: return left == right;
  case netoken: return left != right;
  case gttoken: return left > right;
  case getoken: return left >= right;
  case lttoken: return left < right;
  default: return left <= right;
  }
}

} // namespace

namespace {
// Counts one expression being parsed for as long as it lives.
struct expressionlevel {
  explicit expressionlevel(int& counter) : depth(++counter) {}
  ~expressionlevel() { --depth; }
  int& depth;
};
} // namespace

// boolterm -> comparison { ("&&" | "||") comparison }
bool interpreter::boolterm() {
  expressionlevel level(exprdepth);
  if (!comparison()) return false;
  for (;;) {
    tokentype type = cursymbolizer->peektype();
    if (type != andtoken && type != ortoken) return true;
    cursymbolizer->skiptoken();
    if (!comparison()) return false;
    if (!opstack.isnumber(0) || !opstack.isnumber(1)) {
      error("Beide Operanden einer Verknuepfung muessen Zahlen sein");
      return false;
    }
    bool right = opstack.number(0) != 0, left = opstack.number(1) != 0;
    opstack.pop(2);
    if (!pushnumber(type == andtoken ? (left && right) : (left || right))) return false;
  }
}

// comparison -> factor { compareop factor }; numbers as doubles, texts byte by byte.
bool interpreter::comparison() {
  if (!factor()) return false;
  for (;;) {
    tokentype type = cursymbolizer->peektype();
    if (!comparisontoken(type)) return true;
    cursymbolizer->skiptoken();
    if (!factor()) return false;
    bool result;
    if (opstack.isnumber(0) && opstack.isnumber(1)) {
      result = holds(type, opstack.number(1), opstack.number(0));
    } else if (opstack.isstring(0) && opstack.isstring(1)) {
      result = holds(type, strcmp(opstack.string(1), opstack.string(0)), 0);
    } else {
      error("Beide Operanden einer Verknuepfung muessen Zahlen oder Strings sein");
      return false;
    }
    opstack.pop(2);
    if (!pushnumber(result)) return false;
  }
}

// factor -> term { ("+" | "-") term }
bool interpreter::factor() {
  if (!term()) return false;
  for (;;) {
    tokentype type = cursymbolizer->peektype();
    if (type != plustoken && type != minustoken) return true;
    cursymbolizer->skiptoken();
    if (!term()) return false;
    if (!combine(type == plustoken)) return false;
  }
}

// Applies "+" (add) or "-" to the two operands on top of the stack, by their types.
bool interpreter::combine(bool add) {
  variable* right = opstack.top(0);
  variable* left = opstack.top(1);
  if (left == nullptr || right == nullptr) {
    error("Ungueltige Operanden fuer Addition/Subtraktion");
    return false;
  }
  if (left->isnumber() && right->isnumber()) {
    double sum = add ? left->number() + right->number() : left->number() - right->number();
    opstack.pop(2);
    return pushnumber(sum);
  }
  char text[2 * messagesize];
  if (left->isstring() && right->isnumber())
    snprintf(text, sizeof text, "%s%.0f", left->string(), right->number());
  else if (left->isnumber() && right->isstring())
    snprintf(text, sizeof text, "%.0f%s", left->number(), right->string());
  else if (left->isstring() && right->isstring())
    snprintf(text, sizeof text, "%s%s", left->string(), right->string());
  else if (add && left->type() == right->type() && appendsinplace(*left, *right))
    return appendinplace();
  else if ((left->islist() && right->islist()) || (left->isnamedlist() && right->isnamedlist()))
    return concatenate(left->isnamedlist());
  else {
    error("Ungueltige Operanden fuer Addition/Subtraktion");
    return false;
  }
  if (!add) return false; // "-" is not defined for texts; it fails without a message
  opstack.pop(2);
  return pushstring(text);
}

namespace {

// Whether every member of the named list `right` can be appended to `left` as it is: its name
// is in neither `left` nor before it in `right` (else "+" would join or replace). Dotted names
// are always added as they are.
bool newmembers(variable& left, variable& right) {
  constexpr int checked = 16; // longer right operands take the general way
  char const* names[checked];
  int count = 0;
  variable walker = right;
  char* name = nullptr;
  for (variable* e = walker.first(&name); e != nullptr; e = walker.next(&name)) {
    char const* key = name ? name : "";
    if (count == checked) return false;
    if (strchr(key, '.') != nullptr) continue;
    if (left.find(key) != nullptr) return false;
    for (int i = 0; i < count; ++i)
      if (strcmp(names[i], key) == 0) return false;
    names[count++] = key;
  }
  return true;
}

} // namespace

// `l = l + list` and `n = n + {name = value}`, as the whole of an assignment to the stored
// list l or named list n: the right operand's elements are appended to the stored list itself
// instead of copying it into a new list and that into the store, which would make growing a
// list one element at a time quadratic. The value is the same; nothing else can see the list
// between the two, since the "+" is the statement's last operation and the list is the
// left-most operand, unchanged since it was read.
bool interpreter::appendsinplace(variable& left, variable& right) {
  variable* target = appendtarget;
  if (target == nullptr || !fastpaths() || exprdepth != 1 || opstack.numelements() != 2 ||
      !storeaccess::samelist(left, *target))
    return false;
  if (cursymbolizer->peektype() != endtoken) return false;
  return left.islist() || (left.isnamedlist() && newmembers(left, right));
}

// Appends as appendsinplace allows. When memory runs out the list goes back to what it was
// before the statement and the assignment fails, reported once, here, as a failing copy into
// the store is; appendtarget is cleared to tell execute_assign so.
bool interpreter::appendinplace() {
  variable* target = appendtarget;
  bool named = target->isnamedlist();
  int before = target->count();
  variable walker = *opstack.top(0);
  char* name = nullptr;
  for (variable* e = named ? walker.first(&name) : walker.first(); e != nullptr;
       e = named ? walker.next(&name) : walker.next()) {
    variable copy;
    bool copied = storedcopy(e, &copy, shared->clock);
    if (copied && (named ? target->add(&copy, name ? name : "") : target->add(&copy)) != nullptr)
      continue;
    if (copied) releasevalue(&copy);
    for (int i = before, n = target->count(); i < n; ++i) releasevalue(target->index(i));
    storeaccess::truncate(*target, before);
    appendtarget = nullptr;
    error("memory exhausted or lists nested too deeply");
    return false;
  }
  opstack.pop(2);
  return pushvalue(target);
}

// term -> atom { ("*" | "/" | "%") atom }
bool interpreter::term() {
  if (!atom()) return false;
  for (;;) {
    tokentype type = cursymbolizer->peektype();
    if (type != multoken && type != divtoken && type != modtoken) return true;
    cursymbolizer->skiptoken();
    if (!atom()) return false;
    if (!opstack.isnumber(0) || !opstack.isnumber(1)) {
      error("Beide Operanden der Multiplikation bzw. Division m\xfcssen Zahlen sein");
      return false;
    }
    double left = opstack.number(1), right = opstack.number(0), result;
    if (type == multoken) {
      result = left * right;
    } else if (type == divtoken) {
      if (right == 0) {
        error("Division durch 0 aufgetreten");
        return false;
      }
      result = left / right;
    } else {
      // Remainder of the operands truncated toward zero; its sign is that of the left one.
      // fmod gives the exact integer remainder for every truncated value, in range or not.
      double divisor = std::trunc(right);
      if (divisor == 0) {
        error("Division durch 0 aufgetreten");
        return false;
      }
      result = std::fmod(std::trunc(left), divisor) + 0.0; // + 0.0: no negative zero
    }
    opstack.pop(2);
    if (!pushnumber(result)) return false;
  }
}

} // namespace vesk
