// internal.h - what the interpreter's source files share: the control-stack item, the fixed
// limits of the engine, and the access to internals of other classes that the statement loop,
// the evaluator and the built-ins need. Nothing here is part of the exported interface.
#pragma once

#include "errorqueue.h"
#include "languagelimits.h"
#include "symbolizer.h"
#include "valuelimits.h"
#include "vesk.h"

namespace vesk::platform {
struct allowedfolders;
}

namespace vesk {


// Kinds of open blocks on the control stack.
enum blockkind {
  ifblock = 1,
  fortoblock = 5,
  foreachblock = 6,
  tryblock = 7,
  repeatblock = 8,
  doblock = 9
};

// One open block. target: ifblock/tryblock the line after the matching end, loops the first
// line of the body. catchtarget: tryblock the line after its catch, 0 without one. catching
// marks a tryblock whose catch part runs, so that a failure there goes to an outer try.
struct ctrlitem {
  int kind;
  double value;
  double limit;
  int target;
  int catchtarget;
  vesk::logfunc savedlog;
  char varname[maxloopnamelen + 1];
  char listname[maxloopnamelen + 1];
  bool catching;
  // fortoblock: where the loop variable was set last, and the store's generation then (while
  // that has not changed, the name still finds that variable).
  variable* counter;
  unsigned long long countergeneration;
};

// One level of operand nesting (a parenthesis, a list literal or an index) for as long as it
// lives; more than maxnesting levels in one expression fail it.
struct nestinglevel {
  explicit nestinglevel(int& counter) : depth(++counter) {}
  ~nestinglevel() { --depth; }
  nestinglevel(nestinglevel const&) = delete;
  nestinglevel& operator=(nestinglevel const&) = delete;
  bool toodeep() const { return depth > maxnesting; }
  int& depth;
};

// Who owns the slot that an assignment writes, and so what becomes of the value it replaces
// and of the one it stores (see docs/embedding.md, "Who owns a list").
enum slotkind {
  variableslot,  // a variable of the store: it owns its value
  parameterslot, // a parameter of the running call: it borrows its value until assigned
  elementslot,   // an element of a list that owns its elements (stored lists, the host's)
  temporaryslot  // an element of a statement's temporary list, which only borrows: what is
                 // stored there is given back with the temporaries
};

// An assignment target: the slot, its kind, and the list holding it (element slots). A plain
// target is a variable named directly (no selectors) by `name`.
struct target {
  variable* slot = nullptr;
  slotkind kind = variableslot;
  variable* container = nullptr;
  bool plain = false;
  bool failed = false; // an error was reported (as opposed to no target being found)
  char const* name = ""; // the first name of the chain (the statement's own text)
};

// The kind of an element slot of the list `container`: the elements of a statement's temporary
// list borrow, those of every other list are owned by it.
slotkind elementkind(variable const& container);

// The numbers-only form of a function: its value for `count` numbers, or false when it is not
// defined for them (the function itself then runs the general way, and reports why).
typedef bool (*numericfunc)(double const* numbers, int count, double* result);

// Copies at most `limit` characters of `text` (null taken as "") and terminates the copy.
void copytext(char* target, char const* text, int limit);

// What functions ask of the interpreter that runs them, found through the operand stack they
// are given (its owner).
// Sleeps without holding the statement lock, so that the other part of a parallel block goes
// on meanwhile; a stop request from the host ends the pause early.
void sleepunlocked(stack* opstack, unsigned milliseconds);
// The errors collected by try bodies of the running family, or null without one.
errorqueue* collectederrors(stack* opstack);
// Whether the running family's file access is confined (see interpreter::allowfolder), and the
// folders it may act in (null: none).
bool confinedfiles(stack* opstack, platform::allowedfolders const** folders);
// A value taken out of the store: its storage is given back once no statement can hold it
// (at once when no statement is running).
void giveback(stack* opstack, variable const& value);
// A list a function made for the calling statement: given back when the statement's
// temporaries are. False, and nothing done, when no statement is running (a host's direct
// call): the caller keeps it.
bool keepforstatement(stack* opstack, variable const& list);

// A deep copy of `value` whose lists take their storage from the heap, stamped `born`; false
// when memory runs out or lists nest more than maxdatadepth deep.
bool storedcopy(variable* value, variable* copy, unsigned long long born);

// Gives back the storage of a stored value: a list or named list with every list inside it.
void releasevalue(variable* value);

} // namespace vesk
