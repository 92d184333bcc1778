// engine.h - the working state of an interpreter, behind vesk::interpreter: the operand stack
// and the machine that runs a statement's instructions on it, the run of lines with its control
// stack, the store, the registry and the script folders it uses, and what it shares with the
// interpreters nested in it (script calls and parallel parts are engines of their own).
#pragma once

#include <cstdio>
#include <cstdlib>

#include "code.h"
#include "internal.h"
#include "vesk.h"

namespace vesk {

class temporaries;
class scriptmemo;
struct callframe;
struct threadstate;
struct family;
class codebook;
struct compiledline;
struct scripttext;
struct registry;

// One value of the machine's operand stack. Value i lives in slot i of the operand stack
// (`stack`): a number as its double alone, until a function may look at the stack and its
// record is written there; any other value as that record.
struct operand {
  double number;
  variable* record; // null for a number
};

// A call whose arguments are being read: its parameter list, what it calls, and how deep the
// operand stack was before its arguments.
struct opencall {
  parameters params; // its blocks from the family's recycler
  scriptfunc function;
  scripttext* script;
  char name[maxpathlen + 1];
  int depth;
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

// What a name read as an operand resolved to, for the call or variable that follows.
struct resolution {
  namekind kind;
  scriptfunc function;
  scripttext* script;
  char path[maxpathlen + 1];
};

// How the statement running now fails when an expression in it fails.
struct failurecontext {
  char text[messagesize]; // reported after the expression's own message ("" for none)
  bool fatal;             // no try block intercepts it
};

// Room for the operand stack's values: one per slot of the stack.
constexpr int operandcapacity = stackslots;

// Room for one more element in one of the machine's growable arrays; false (reported) without
// memory. The elements are plain bytes that may move.
template <typename item> bool growopen(item*& items, int count, int& capacity) {
  if (count < capacity) return true;
  int larger = capacity ? capacity * 2 : 8;
  void* grown = realloc(static_cast<void*>(items), sizeof(item) * static_cast<size_t>(larger));
  if (grown == nullptr) return false;
  items = static_cast<item*>(grown);
  capacity = larger;
  return true;
}

class engine {
public:
  engine(registry* funcs, variables* globals, logfunc log); // a nested engine's start
  ~engine();
  engine(engine const&) = delete;
  engine& operator=(engine const&) = delete;

  // --- entry points of the host (interpreter.cpp forwards to them) ---
  bool execute(char const** lines, int count, char const* name);
  bool execute(char const* name, parameters* params);
  bool execute(char const* line, char const* name);
  variable* evaluate(char const* text);
  bool add(scriptfunc func, char const* name);
  bool add(char const* libraryname);
  void setlogfunc(logfunc log);
  void setscriptpath(char const* path1, char const* path2);
  int cmdsindex() const;
  void setstatementlimit(long long statements);
  void stop();
  void copyfrom(engine const& other);

  // --- a host's call (hostcall.cpp) ---
  bool begincall();
  void endcall();
  void misuse(char const* text);
  bool refused(char const* name, char const** lines, int count);

  // --- the run of lines (run.cpp) ---
  bool run(char const** lines, int count, char const* name, codebook* compiled);
  bool endofrun();
  int runline(int index);
  void beginline();
  int finishline();
  bool recover();
  bool proceed();
  bool stopped();
  void restoreoverlay();

  // --- the machine (machine.cpp, operators.cpp, literals.cpp, chains.cpp) ---
  emitresult step(instruction const& in);
  emitresult operation(instruction const& in);
  bool pushnumber(double number);
  bool pushrecord(variable const* value);
  bool pushvalue(variable const* value);
  bool pushtext(char const* text);
  void popoperands(int n);
  variable* topvalue();
  void materialize();
  void takepushed();
  variable* valueat(int i, variable& scratch);
  bool isnumber(int i) const;
  double numberat(int i) const;
  bool replacetwo(double result);
  bool logic(tokentype op);
  bool compare(tokentype op);
  bool combine(bool add, bool last);
  bool arithmetic(opcode code);
  bool appendsinplace(variable& left, variable& right);
  bool appendinplace();
  bool concatenate(bool named);
  bool merge(variable* target, variable* source, int level);
  bool copyinto(variable* target, variable* source);
  variable* newlist(vartype type);
  bool openliteral();
  bool addelement(bool named, char const* name);
  bool closeliteral();
  void resetoperands();
  void retireoperands();

  // --- element chains and assignment targets (chains.cpp, storage.cpp) ---
  bool openchainat(variable* base);
  bool closechain();
  bool selector(instruction const& in);
  variable* selectable(target& current, bool onstack);
  void select(target& current, variable* list, variable* element);
  bool checkmember(target& current, char const* lastname, bool onstack);
  bool selectmember(target& current, char const* name, bool onstack);
  bool checkindex(target& current, bool onstack);
  bool selectindex(target& current, bool missing, bool onstack);
  bool locate(char const* name, target& where);
  bool findtarget(char const* name, target& where);
  bool targetmoved(target& to, unsigned long long since);
  bool assign(target const& to, variable* value);
  bool assignnumber(target const& to, double number);

  // --- statements (statements.cpp) ---
  emitresult statementop(instruction const& in);
  emitresult ended(int next);
  int blockstatement(instruction const& in);
  emitresult readtarget(instruction const& in);
  void beginrightside();
  emitresult assignment();
  emitresult assigncommand();

  // --- names (names.cpp) ---
  namekind resolve(char const* name, resolution& found);
  variable* find(char const* name);
  scriptfunc findfunc(char const* name);

  // --- calls (calls.cpp, scriptfiles.cpp, interpreterpool.cpp) ---
  bool callopen(resolution& callee, char const* name);
  bool callargument(char const* name);
  bool callclose();
  bool callfunction(opencall& call);
  void reportunused(parameters* params, char const* name);
  void closecall(opencall& call);
  FILE* findscript(char const* name);
  scripttext* knownscript(char const* name);
  bool noscript(char const* name);
  scripttext* readscript(FILE* file);
  scripttext* openscript(FILE* file, char const* path);
  bool runtext(scripttext* script, callframe& callee, char const* scriptpath);
  engine* nest();
  static void retire(engine* nested);
  void renew(registry* registryof, variables* store, logfunc logto);

  // --- blocks (blocks.cpp, loops.cpp, parallel.cpp, matching.cpp) ---
  bool opening(char const* keyword);
  ctrlitem* pushblock(int kind, int target);
  bool closing(char const* keyword, char const* unopened);
  bool closeloop(char const* keyword);
  int execute_if(bool holds);
  int execute_else();
  int execute_end();
  int startforto(char const* name, double start, double limit);
  int startforeach(char const* names);
  int execute_next();
  int execute_try();
  int execute_catch();
  int execute_until(bool done);
  int execute_while(bool again);
  int execute_parallel();
  bool setloopvariable(char const* name, variable* value);
  static int runpart(void* job);
  int find_end(int start);
  int find_else(int start);
  int find_catch(int start);
  int find_thread(int start);
  int find_next(int start);
  int remembered(int kind, int start, int (*scan)(char const* const*, int, int));
  void clearmatches();
  void endmatches();
  void releasematches();

  // --- diagnostics (diagnostics.cpp) ---
  void error(char const* text);
  void warning(char const* text);
  void error(char const* format, double value);
  void error(char const* format, char const* text);
  void error(char const* format, char const* text1, char const* text2);
  void warning(char const* format, double value);
  void warning(char const* format, char const* text);

  // --- registry (registry.cpp, libraries.cpp) ---
  bool addfromlibrary(scriptfunc func, char const* name, char const* base);
  void releaseregistry();

  // The state of the interpreter object, in the order the interface describes it.
  stack opstack;
  logfunc log;
  int cmdindex = 0;
  variables* globals;
  registry* funcs;
  char scriptpath1[maxdirlen + 1] = "";
  char scriptpath2[maxdirlen + 1] = "";
  char const** cmds = nullptr;
  int numcmds = 0;
  char scriptname[maxpathlen + 1] = "";
  char foundpath[maxpathlen + 1] = "";
  ctrlitem* ctrlstack = nullptr;
  int ctrltop = 0;
  int ctrlsize = 0;

  // The call whose parameters this engine's statements see laid over the store, the depth of
  // script calls that led to it, the thread it runs on, and the state it shares with the
  // engines nested in it.
  callframe* frame = nullptr;
  int calldepth = 0;
  threadstate* thread = nullptr;
  family* shared = nullptr;
  bool ownsshared = false; // this engine created `shared` and releases it
  bool ownsfuncs = false;  // this engine created the registry and releases it
  variables* marked = nullptr; // the store marked in use for a host's call
  temporaries* temps;          // lists of the current statement
  scriptmemo* absentscripts = nullptr; // names found to be no script file
  int* matches = nullptr;              // the matchers' answers in the current run
  codebook* book = nullptr;            // the compiled lines of the running lines, or null

  // The machine: the operand stack's values, open calls, chains and literals, the target of
  // an assignment, and the statement's way of failing.
  operand* operands;
  int depth = 0;
  opencall* calls = nullptr;
  int callcount = 0;
  int callcapacity = 0;
  openchain* chains = nullptr;
  int chaincount = 0;
  int chaincapacity = 0;
  openlist* lists = nullptr;
  int listcount = 0;
  int listcapacity = 0;
  target aim;               // the assignment's target
  variable* appendtarget = nullptr; // the stored list that `name = name + list` may extend
  bool appendfailed = false;
  unsigned long long callsbefore = 0; // calls made before the right side of the assignment
  unsigned long long tickbefore = 0;
  failurecontext context{};
  bool inexpression = false; // the failure came from an operand or operator
  resolution pending{};      // what the parser's last name resolved to (the general way)
  bool finished = false;     // the statement has ended; it goes on at nextline
  int nextline = 0;
  ctrlitem closed{};         // the block item an until or while took off the control stack
};

} // namespace vesk
