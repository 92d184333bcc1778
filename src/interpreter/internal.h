// internal.h - what the interpreter's source files share: the control-stack item, the fixed
// limits of the engine, and the access to internals of other classes that the statement loop,
// the evaluator and the built-ins need. Nothing here is part of the exported interface.
#pragma once

#include "values/valuelimits.h"
#include "vesk.h"

namespace vesk {

constexpr int maxfuncnamelen = 31;   // registered function names
constexpr int maxargnamelen = 127;   // argument names of a call
constexpr int maxloopnamelen = 31;   // loop-variable and list names of loops
constexpr int maxpathlen = 127;      // script name and found path
constexpr int maxdirlen = 511;       // script directories
constexpr int ctrlstacksize = 100;   // open blocks of one run
constexpr int messagesize = 1024;    // one diagnostic line
constexpr int maxnesting = 200;      // operand nesting (parentheses, literals, indexes)
constexpr int maxcalldepth = 200;    // script calls nested in one another
constexpr int maxdatadepth = 200;    // lists nested in lists when a value is stored

// Messages of failures that several files report.
constexpr char msg_stackfull[] = "too many operands (operand stack full)";
constexpr char msg_arenafull[] = "memory exhausted (temporary lists of this statement)";
constexpr char msg_memory[] = "memory exhausted";
constexpr char msg_syntax[] = "Ausdruck nicht korrekt";

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
constexpr char msg_toodeep[] = "expression nested too deeply";

// Copies at most `limit` characters of `text` (null taken as "") and terminates the copy.
void copytext(char* target, char const* text, int limit);

// Sleeps without holding the statement lock of the interpreter that owns `opstack`, so that
// the other part of a parallel block goes on meanwhile.
void sleepunlocked(stack* opstack, unsigned milliseconds);

// Hands the storage of `value` (a list or named list with every list inside it; the record
// itself is left alone) to the family whose statement this thread is running: it is released
// when the outermost interpreter starts its next statement, so that values of the running
// statement that share it stay valid until then. False, and nothing done, when this thread
// runs no statement (a host called a function directly): the caller then decides.
bool releaseafterstatement(variable* value);

// A deep copy of `value` whose lists take their storage from the heap; false when memory runs
// out or lists nest more than maxdatadepth deep.
bool storedcopy(variable* value, variable* copy);

// Gives back the storage of a stored value: a list or named list with every list inside it.
void releasevalue(variable* value);

} // namespace vesk
