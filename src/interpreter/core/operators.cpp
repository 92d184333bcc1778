// operators.cpp - the binary operators on the two values on top of the operand stack (the
// right one on top): && and || on numbers, comparisons of numbers and of texts, + and - of
// numbers, texts, lists and named lists, and * / % of numbers. No operator short-circuits.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "family.h"
#include "fastpaths.h"
#include "machine.h"
#include "numbers.h"
#include "release.h"
#include "storeaccess.h"

namespace vesk {

namespace {

// "%.0f" of a number: whole numbers of up to 15 digits are written directly, the rest by the
// C library (which decides how halves round).
int wholenumber(double number, char* text, int size) {
  if (number == std::trunc(number) && std::fabs(number) < 1e15) {
    char digits[24];
    int n = 0;
    long long whole = static_cast<long long>(std::fabs(number));
    do digits[n++] = static_cast<char>('0' + whole % 10);
    while ((whole /= 10) != 0);
    int length = 0;
    if (std::signbit(number)) text[length++] = '-'; // "%.0f" of -0.0 is "-0" too
    while (n > 0 && length < size - 1) text[length++] = digits[--n];
    text[length] = '\0';
    return length;
  }
  return snprintf(text, static_cast<size_t>(size), "%.0f", number);
}

// Joins two texts into `text` (at most size - 1 characters kept; the rest is cut when the
// value is made).
void jointexts(char* text, int size, char const* left, char const* right) {
  int l = static_cast<int>(strnlen(left, static_cast<size_t>(size - 1)));
  memcpy(text, left, static_cast<size_t>(l));
  int r = static_cast<int>(strnlen(right, static_cast<size_t>(size - 1 - l)));
  memcpy(text + l, right, static_cast<size_t>(r));
  text[l + r] = '\0';
}

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

// Gives back the elements that an append added to `list` after its first `before`, walking
// them once (looking each up by position would walk the blocks from the start again whenever
// giving one back made the remembered positions stale).
void takeback(variable& list, int before) {
  variable walker = list;
  int position = 0;
  for (variable* e = walker.first(); e != nullptr; e = walker.next(), ++position)
    if (position >= before) releasevalue(e);
  storeaccess::truncate(list, before);
}

} // namespace

bool machine::isnumber(int i) const {
  if (i < 0 || i >= depth) return false;
  operand const& o = operands[depth - 1 - i];
  return o.record == nullptr || o.record->isnumber();
}

double machine::numberat(int i) const {
  operand const& o = operands[depth - 1 - i];
  return o.record == nullptr ? o.number : o.record->number();
}

// Replaces the two values on top by a number.
bool machine::replacetwo(double result) {
  popoperands(2);
  return pushnumber(result);
}

// boolterm's operators: both operands numbers; 1 or 0.
bool machine::logic(tokentype op) {
  if (!isnumber(0) || !isnumber(1)) {
    error("Beide Operanden einer Verknuepfung muessen Zahlen sein");
    return false;
  }
  bool right = numberat(0) != 0, left = numberat(1) != 0;
  return replacetwo(op == andtoken ? (left && right) : (left || right));
}

// comparison's operators: numbers as doubles, texts byte by byte.
bool machine::compare(tokentype op) {
  bool result;
  if (isnumber(0) && isnumber(1)) {
    result = holds(op, numberat(1), numberat(0));
  } else if (depth >= 2 && operands[depth - 1].record != nullptr &&
             operands[depth - 2].record != nullptr && operands[depth - 1].record->isstring() &&
             operands[depth - 2].record->isstring()) {
    result = holds(
        op, strcmp(operands[depth - 2].record->string(), operands[depth - 1].record->string()), 0);
  } else {
    error("Beide Operanden einer Verknuepfung muessen Zahlen oder Strings sein");
    return false;
  }
  return replacetwo(result);
}

// "+" (add) or "-" by the operands' types. `last`: the "+" is the last operation of the right
// side of an assignment to its left operand, which it may then extend in place.
bool machine::combine(bool add, bool last) {
  if (depth < 2) {
    error("Ungueltige Operanden fuer Addition/Subtraktion");
    return false;
  }
  if (isnumber(0) && isnumber(1)) {
    double left = numberat(1), right = numberat(0);
    return replacetwo(add ? left + right : left - right);
  }
  if (add && appendtext()) return true;
  variable scratchleft, scratchright;
  variable* left = valueat(1, scratchleft);
  variable* right = valueat(0, scratchright);
  char text[2 * messagesize];
  char number[messagesize];
  if (left->isstring() && right->isnumber()) {
    wholenumber(right->number(), number, sizeof number);
    jointexts(text, sizeof text, left->string(), number);
  } else if (left->isnumber() && right->isstring()) {
    wholenumber(left->number(), number, sizeof number);
    jointexts(text, sizeof text, number, right->string());
  } else if (left->isstring() && right->isstring()) {
    jointexts(text, sizeof text, left->string(), right->string());
  } else if (add && last && left->type() == right->type() && appendsinplace(*left, *right)) {
    return appendinplace();
  } else if ((left->islist() && right->islist()) || (left->isnamedlist() && right->isnamedlist())) {
    return concatenate(left->isnamedlist());
  } else {
    error("Ungueltige Operanden fuer Addition/Subtraktion");
    return false;
  }
  if (!add) return false; // "-" is not defined for texts; it fails without a message
  popoperands(2);
  return pushtext(text);
}

// The characters of a text or number operand (a number written into `number`); null for any
// other value.
char const* machine::charactersof(operand const& o, char* number, int size) {
  if (o.record == nullptr || o.record->isnumber()) {
    wholenumber(o.record == nullptr ? o.number : o.record->number(), number, size);
    return number;
  }
  return o.record->isstring() ? o.record->string() : nullptr;
}

// Writes `characters` after the text of `text`, whose bytes after its text are zero, as every
// text record's are: only the new characters are written. The record becomes what a new text
// of the joined characters would be: at most maxtextlen characters (marked cut when more were
// joined), without flags and user data.
void machine::jointext(variable& text, char const* characters) {
  char* joined = storeaccess::text(text);
  size_t length = strnlen(joined, maxtextlen);
  size_t room = maxtextlen - length;
  size_t added = strnlen(characters, room + 1);
  bool cut = added > room;
  if (cut) added = room;
  memcpy(joined + length, characters, added);
  storeaccess::newtext(text, cut);
}

// A text literal read as the right operand of "+" whose left operand is a text: its characters
// are written after that text as appendtext would write those of the record the literal makes.
// False, with nothing done, for any other left operand, for a literal longer than a text holds
// (the record would be cut) and on a full stack (pushing the literal reports that).
bool machine::appendliteral(char const* characters) {
  if (depth < 1 || depth >= slots) return false;
  variable* left = operands[depth - 1].record;
  if (left == nullptr || !left->isstring() || strnlen(characters, maxtextlen + 1) > maxtextlen)
    return false;
  jointext(*left, characters);
  return true;
}

// "+" of a text and a text or a number: the right operand's characters are written after the
// left one's in the left operand's own record (a copy on the operand stack). False: the
// operands are something else.
bool machine::appendtext() {
  variable* left = operands[depth - 2].record;
  char number[messagesize];
  char const* right = charactersof(operands[depth - 1], number, sizeof number);
  if (left == nullptr || !left->isstring() || right == nullptr) return false;
  jointext(*left, right);
  popoperands(1);
  return true;
}

// term's operators, on numbers only; "%" works on the operands truncated toward zero.
bool machine::arithmetic(opcode code) {
  if (!isnumber(0) || !isnumber(1)) {
    error("Beide Operanden der Multiplikation bzw. Division m\xfcssen Zahlen sein");
    return false;
  }
  double left = numberat(1), right = numberat(0);
  if (code == op_multiply) return replacetwo(left * right);
  if (code == op_divide) {
    if (right == 0) {
      error("Division durch 0 aufgetreten");
      return false;
    }
    return replacetwo(left / right);
  }
  // The remainder of the operands truncated toward zero; its sign is that of the left one.
  double remainder;
  if (!remainderof(left, right, &remainder)) {
    error("Division durch 0 aufgetreten");
    return false;
  }
  return replacetwo(remainder);
}

// `l = l + list` and `n = n + {name = value}`, as the whole of an assignment to the stored
// list l or named list n: the right operand's elements are appended to the stored list itself
// instead of copying it into a new list and that into the store, which would make growing a
// list one element at a time quadratic. The value is the same; nothing else can see the list
// between the two, since the "+" is the statement's last operation and the list is the
// left-most operand, unchanged since it was read.
bool machine::appendsinplace(variable& left, variable& right) {
  if (!appendsonto(left)) return false;
  return left.islist() || (left.isnamedlist() && newmembers(left, right));
}

// Whether `left`, one of the two operands of the statement's last "+", is the stored list its
// assignment writes (see appendsinplace).
bool machine::appendsonto(variable const& left) const {
  return appendtarget != nullptr && fastpaths() && depth == 2 &&
         storeaccess::samelist(left, *appendtarget);
}

// Appends as appendsinplace allows. When memory runs out, or the host asks to stop, the list
// goes back to what it was before the statement and the assignment fails, reported once, here,
// as a failing copy into the store is (a stop is reported by the next check).
bool machine::appendinplace() {
  variable* target = appendtarget;
  bool named = target->isnamedlist();
  int before = target->count();
  variable walker = *operands[depth - 1].record;
  char* name = nullptr;
  for (variable* e = named ? walker.first(&name) : walker.first(); e != nullptr;
       e = named ? walker.next(&name) : walker.next())
    if (!appendstored(*target, e, named ? (name ? name : "") : nullptr))
      return undoappend(*target, before);
  popoperands(2);
  return pushrecord(target);
}

// `l = l + {x}` as the whole of an assignment to the stored list l (see appendsinplace), at
// the literal's one element: x goes onto l as appending the literal in place would put it
// there, and the literal is never built. `missed`, with nothing done, when that is not the
// case (the literal is then built as usual).
emitresult machine::appendsingle() {
  if (depth != 2 || listcount <= 0 || lists[listcount - 1].list != nullptr) return missed;
  variable const* left = operands[0].record;
  if (left == nullptr || !left->islist() || !appendsonto(*left)) return missed;
  variable* target = appendtarget;
  operand const& top = operands[depth - 1];
  variable number(top.number); // the element's record when it is a number of its own
  --listcount;
  int before = target->count();
  if (!appendstored(*target, top.record != nullptr ? top.record : &number, nullptr))
    return undoappend(*target, before) ? emitted : failed;
  popoperands(2);
  return pushrecord(target) ? emitted : failed;
}

// Appends the stored copy of `element` to `target` (under `name` when it is a named list; null
// for a list); false, with nothing appended, when memory runs out or the host asks to stop.
bool machine::appendstored(variable& target, variable* element, char const* name) {
  if (stopasked(shared, longsteps)) return false;
  // An element that holds no list is its own stored copy: the list takes its record as it is.
  if (!element->islist() && !element->isnamedlist())
    return (name != nullptr ? target.add(element, name) : target.add(element)) != nullptr;
  variable copy;
  if (!storedcopy(element, &copy, shared->lock.clock, shared)) return false;
  if ((name != nullptr ? target.add(&copy, name) : target.add(&copy)) != nullptr) return true;
  releasevalue(&copy);
  return false;
}

// An append in place that failed: the list loses what it gained, and the failure is reported.
bool machine::undoappend(variable& target, int before) {
  takeback(target, before);
  appendfailed = true;
  if (!shared->stoprequested.load(std::memory_order_relaxed))
    error("memory exhausted or lists nested too deeply");
  return false;
}

} // namespace vesk
