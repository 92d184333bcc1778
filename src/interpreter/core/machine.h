// machine.h - what one statement does on the operand stack: its values (numbers as doubles,
// everything else as records in the slots of the stack), the chains and literals it has open,
// the target of an assignment and how the statement fails, the store it reads and writes and
// the call whose parameters it sees. Invariant: value i lives in slot i of the operand stack,
// and everything a statement builds is given back when the next statement begins
// (resetoperands) or, for what it stored, by the owner of the slot it stored into.
#pragma once

#include <cstdlib>

#include "callframe.h"
#include "code.h"
#include "copytext.h"
#include "family.h"
#include "languagelimits.h"
#include "stackaccess.h"
#include "temporaries.h"
#include "valuelimits.h"
#include "vesk.h"

namespace vesk {

struct located;

// One value of the machine's operand stack. Value i lives in slot i of the operand stack
// (`stack`): a number as its double alone, until a function may look at the stack and its
// record is written there; any other value as that record.
struct operand {
  double number;
  variable* record; // null for a number
};

// An element chain read as an operand: how deep the operand stack was at its start, and the
// value it has reached (a slot of the store, or a record on the operand stack).
struct openchain {
  int depth;
  variable* current;
};

// A list literal being read: its list (null until its first element).
struct openlist {
  variable* list;
};

// How the statement running now fails when an expression in it fails.
struct failurecontext {
  char const* text; // reported after the expression's own message ("" for none); the
                    // statement's own text, which lives as long as the statement runs
  bool fatal;       // no try block intercepts it
  int depth;        // operands on the stack before the expression: its value lies above
};

// Who owns the slot that an assignment writes, and so what becomes of the value it replaces
// and of the one it stores (see docs/embedding.md, "Who owns a list").
enum slotkind {
  variableslot,  // a variable of the store: it owns its value
  parameterslot, // a parameter of the running call (see assign)
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
  bool failed = false;   // an error was reported (as opposed to no target being found)
  char const* name = ""; // the first name of the chain (the statement's own text)
};

// The log function of an engine given none: it drops every line.
void droplog(int level, char const* text);

// The kind of an element slot of the list `container`: the elements of a statement's temporary
// list borrow, those of every other list are owned by it.
slotkind elementkind(variable const& container);

// A deep copy of `value` whose lists take their storage from the heap, stamped `born`; false
// when memory runs out, lists nest more than maxdatadepth deep or the host asks `watched` to
// stop (null: a copy that does not look).
bool storedcopy(variable* value, variable* copy, unsigned long long born, family const* watched);

// Room for the operand stack's values: one per slot of the stack.
constexpr int operandcapacity = stackslots;

// Room for one more element in one of the machine's growable arrays; false without memory,
// which the caller reports. The elements are plain bytes that may move.
template <typename item> bool growopen(item*& items, int count, int& capacity) {
  if (count < capacity) return true;
  int larger = capacity ? capacity * 2 : 8;
  void* grown = realloc(static_cast<void*>(items), sizeof(item) * static_cast<size_t>(larger));
  if (grown == nullptr) return false;
  items = static_cast<item*>(grown);
  capacity = larger;
  return true;
}

class machine {
public:
  machine(variables* store, logfunc logto);
  virtual ~machine();
  bool equip();
  machine(machine const&) = delete;
  machine& operator=(machine const&) = delete;

  // --- the operand stack (machine.cpp) ---
  bool pushnumber(double number) {
    if (depth >= slots) return stackfull();
    operands[depth++] = {number, nullptr};
    return true;
  }
  void popoperands(int n) { depth = n < depth ? depth - n : 0; }
  bool stackfull();
  bool pushrecord(variable const* value);
  bool pushvalue(variable const* value);
  bool pushtext(char const* text);
  variable* topvalue();
  void materialize();
  void takepushed();
  variable* valueat(int i, variable& scratch);
  bool isnumber(int i) const;
  double numberat(int i) const;
  void negate();
  emitresult namevalue(char const* name);
  emitresult fail(instruction const& in);
  void resetoperands();
  void retireoperands();

  // --- operators (operators.cpp) and literals (literals.cpp) ---
  bool replacetwo(double result);
  bool logic(tokentype op);
  bool compare(tokentype op);
  bool combine(bool add, bool last);
  bool appendtext();
  bool appendliteral(char const* characters);
  static char const* charactersof(operand const& o, char* number, int size);
  static void jointext(variable& text, char const* characters);
  bool arithmetic(opcode code);
  bool appendsinplace(variable& left, variable& right);
  bool appendsonto(variable const& left) const;
  bool appendinplace();
  emitresult appendsingle();
  bool appendstored(variable& target, variable* element, char const* name);
  bool undoappend(variable& target, int before);
  bool concatenate(bool named);
  bool merge(variable* target, variable* source, int level);
  bool copyinto(variable* target, variable* source);
  variable* newlist(vartype type);
  bool openliteral();
  bool addelement(bool named, char const* name);
  bool closeliteral();

  // --- element chains (chains.cpp) and assignment targets (storage.cpp) ---
  bool openchainat(variable* base);
  bool chainstep(target& current);
  bool closechain();
  bool selector(instruction const& in);
  variable* selectable(target& current, bool onstack);
  void select(target& current, variable* list, variable* element, bool ontarget);
  bool checkmember(target& current, char const* lastname, bool onstack);
  bool selectmember(target& current, char const* name, bool onstack);
  bool checkindex(target& current, bool onstack);
  bool selectindex(target& current, bool missing, bool onstack);
  bool locate(char const* name, target& where);
  bool findtarget(char const* name, target& where);
  bool targetmoved(target& to);
  bool assign(target const& to, variable* value);
  bool ownsheld(target const& to) const;
  bool assignnumber(target const& to, double number);

  // --- the statement (statements.cpp) ---
  emitresult ended(int next);
  emitresult readtarget(instruction const& in);
  void beginrightside();
  emitresult assignment();
  emitresult assigncommand();
  static constexpr int recoverable = -2; // a failed statement that a try block may intercept

  // --- names (names.cpp): where a variable is found ---
  variable* namesroot() const;
  variable* find(char const* name);
  void restoreoverlay();

  // --- diagnostics (diagnostics.cpp) ---
  void error(char const* text);
  void warning(char const* text);
  void error(char const* format, double value);
  void error(char const* format, char const* text);
  void error(char const* format, char const* text1, char const* text2);

  // Where the machine stands, for its messages: the script's name and the line.
  char scriptname[maxpathlen + 1] = "";
  int cmdindex = 0;

  stack opstack;
  logfunc log;
  variables* globals;
  temporaries* temps; // lists of the current statement
  // The call whose parameters this engine's statements see laid over the store, the thread it
  // runs on, and the state it shares with the engines nested in it.
  callframe* frame = nullptr;
  threadstate* thread = nullptr;
  family* shared = nullptr;

  operand* operands;
  int depth = 0;
  int slots; // the operand stack's slots
  openchain* chains = nullptr;
  int chaincount = 0;
  int chaincapacity = 0;
  openlist* lists = nullptr;
  int listcount = 0;
  int listcapacity = 0;
  target aim;                       // the assignment's target
  variable* appendtarget = nullptr; // the stored list that `name = name + list` may extend
  bool appendfailed = false;
  unsigned longsteps = 0; // the steps of long loops in statements, for stopasked
  // Before the right side of an assignment: the calls made so far, the store's generation and
  // the tick (see targetmoved).
  unsigned long long callsbefore = 0;
  unsigned long long storebefore = 0;
  unsigned long long tickbefore = 0;
  failurecontext context{};
  bool inexpression = false; // the failure came from an operand or operator
  bool finished = false;     // the statement has ended; it goes on at nextline
  int nextline = 0;
  // While the host has an error hook: the first error the failing statement reported, for the
  // hook, and the count of statements when it did (an older one is some other statement's).
  void noteerror(char const* line);
  long long statementcount() const { return shared->executed + shared->granted - shared->budget; }
  char firsterror[messagesize] = "";
  long long errorstamp = -1;
};

// --- what every statement does, kept inline for the statement loop ----------------------

// Empties the operand stack and gives back every temporary list of the last statement, with
// what was stored into them.
inline void machine::resetoperands() {
  depth = 0;
  stackaccess::setcount(opstack, 0);
  if (temps->adoptedcount() > 0) retireoperands();
  temps->reset(); // the operand stack's arena with it
}

} // namespace vesk
