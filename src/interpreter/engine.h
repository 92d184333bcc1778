// engine.h - the working state of an interpreter, behind vesk::interpreter: the operand stack
// and the machine that runs a statement's instructions on it, the run of lines with its control
// stack, the store, the registry and the script folders it uses, and what it shares with the
// interpreters nested in it (script calls and parallel parts are engines of their own).
#pragma once

#include <cstdio>
#include <cstdlib>

#include "code.h"
#include "codebook.h"
#include "family.h"
#include "internal.h"
#include "scriptcache.h"
#include "stackaccess.h"
#include "temporaries.h"
#include "vesk.h"

namespace vesk {

class temporaries;
class scriptmemo;
struct callframe;
class codebook;
struct compiledline;
struct site;
struct located;
struct scripttext;
struct registry;
struct quicknumbers;

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
  parameters params; // its blocks from the family's recycler; made only when `built`
  bool built;
  numericfunc numeric; // the function's numbers-only form, while its arguments allow it
  int numbers;         // arguments so far, each an operand of its own
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
  bool kept; // the script's text is kept: the listings say when it changes
  char path[maxpathlen + 1];
};

// How the statement running now fails when an expression in it fails.
struct failurecontext {
  char const* text; // reported after the expression's own message ("" for none); the
                    // statement's own text, which lives as long as the statement runs
  bool fatal;       // no try block intercepts it
  int depth;        // operands on the stack before the expression: its value lies above
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
  engine* twin() const;
  void forget(interpreter* owner);

  // --- a host's call (hostcall.cpp) ---
  bool begincall();
  void endcall();
  void misuse(char const* text);
  bool refused(char const* name, char const** lines, int count);

  // --- the run of lines (run.cpp) ---
  bool run(char const** lines, int count, char const* name, codebook* compiled, int offset);
  bool endofrun();
  bool runcompiledlines(compiledline* line);
  bool goon(int next) {
    if (next == recoverable) return recover();
    cmdindex = next;
    return cmdindex >= 0;
  }
  int runline(int index, bool compiled);
  void beginline();
  int finishline();
  int unwind();
  bool recover();
  // Whether the next statement may run: false, after a message that no try block intercepts,
  // once the host has asked to stop or the statement limit is used up. A statement costs a
  // count and a look at the stop request; every so many statements (and before the one that
  // would pass the limit) a full check counts them and takes in changes of script files. While
  // a hook is set every statement takes the full check, which calls the hook.
  bool proceed() {
    if (shared->budget > 0 && !shared->stoprequested.load(std::memory_order_relaxed)) {
      --shared->budget;
      return true;
    }
    return recheck();
  }
  bool recheck();
  bool stopped();
  void sethook(interpreter* owner, statementhook hook, void* data);
  bool reportstatement();
  int check(char const** lines, int count, char const* name, int* warnings);
  int list(char const** lines, int count, char const* name);
  void listtier(compiledline const& line, instruction const* code, int count);
  void restoreoverlay();

  // --- compiled lines (compiler.cpp, compiled.cpp) ---
  compiledline* compile(char const* text, compiledline const* before, int boundary);
  compiledline* compiledfor(int index);
  bool fastarithmetic(opcode code);
  bool twonumbers() const;
  bool fastassign();
  bool countloop();
  bool lastindex();
  bool targetindex();
  variable* remembered(site& s);
  variable* refindparameter(site& s);
  compiledline* resumeafter(compiledline& line, int pc);
  bool current(compiledline const& line);
  bool stillresolves(compiledline& line, int from);
  variable* sitevariable(site& s, located* where);
  emitresult compiledvariable(site& s);
  emitresult compiledtarget(instruction const& in, site& s);
  emitresult compiledmember(instruction const& in, site& s);
  emitresult compiledcall(site& s);

  // --- the one loop over instructions (dispatch.cpp) and the quick tier (quick.cpp) ---
  emitresult exec(instruction const* code, int count, compiledline* line, int index);
  template <opcodetier tier>
  emitresult execute(instruction const& in, compiledline* line, instruction const* next,
                     quicknumbers* numbers);
  emitresult sitevalue(site& s);
  static constexpr int quickmiss = -2; // runquick: the general instructions run the statement
  int runquick(compiledline& line);
  emitresult quickpush(variable const* value, quicknumbers& numbers);
  emitresult quickelement(compiledline& line, instruction const& in, quicknumbers& numbers);
  emitresult quickcall(site const& callee, int count, quicknumbers& numbers);
  variable* quickfindmember(compiledline& line, int base, int member);
  emitresult quickstore(variable* slot, double number);
  emitresult quickstoreelement(compiledline& line, instruction const& in, quicknumbers& numbers);
  emitresult quickblock(instruction const& in, double condition);

  // --- the machine (machine.cpp, operators.cpp, literals.cpp, chains.cpp) ---
  void negate();
  emitresult namevalue(char const* name);
  emitresult namedcall(char const* name);
  emitresult fail(instruction const& in);
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
  static constexpr int recoverable = -2; // a failed statement that a try block may intercept

  // --- element chains and assignment targets (chains.cpp, storage.cpp) ---
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
  bool assignnumber(target const& to, double number);

  // --- statements (statements.cpp) ---
  emitresult ended(int next);
  int blockstatement(instruction const& in);
  emitresult readtarget(instruction const& in);
  void beginrightside();
  emitresult assignment();
  emitresult assigncommand();

  // --- names (names.cpp) ---
  namekind resolve(char const* name, resolution& found);
  variable* namesroot() const;
  variable* find(char const* name);
  scriptfunc findfunc(char const* name);

  // --- calls (calls.cpp, scriptfiles.cpp, interpreterpool.cpp) ---
  bool callopen(scriptfunc function, scripttext* script, char const* name,
                numericfunc numeric = nullptr);
  bool buildparameters(opencall& call);
  bool callnumeric(opencall& call, bool* done);
  bool addnumeric(scriptfunc func, numericfunc numeric);
  numericfunc numericof(scriptfunc func);
  bool callargument(char const* name);
  bool callclose();
  bool lacksvalue(opcode next);
  bool callfunction(opencall& call);
  bool callguarded(scriptfunc function, parameters* params, vesk::logfunc logto);
  void reportunused(parameters* params, char const* name);
  void closecall(opencall& call);
  FILE* findscript(char const* name);
  bool outofreach(char const* name);
  scripttext* knownscript(char const* name);
  bool noscript(char const* name);
  scripttext* readscript(FILE* file, char const* path);
  scripttext* openscript(FILE* file, char const* path, bool* kept = nullptr);
  bool runtext(scripttext* script, callframe& callee, char const* scriptpath, int depth);
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
  bool setcounter(ctrlitem& item);
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
  void shareregistry(engine const& other);
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
  bool ownsshared = false;       // this engine holds a share of `shared` (a host's interpreter)
  bool ownsfuncs = false;        // this engine holds a share of the registry (a host's interpreter)
  variables* marked = nullptr;   // the store marked in use for a host's call
  family* outerfamily = nullptr; // the family this thread ran before the host's call
  temporaries* temps;            // lists of the current statement
  scriptmemo* absentscripts = nullptr; // names found to be no script file
  int* matches = nullptr;              // the matchers' answers in the current run
  codebook* book = nullptr;            // the compiled lines of the running lines, or null
  int bookoffset = 0;                  // where the running lines start in the book

  // The machine: the operand stack's values, open calls, chains and literals, the target of
  // an assignment, and the statement's way of failing.
  operand* operands;
  int depth = 0;
  int slots; // the operand stack's slots
  opencall* calls = nullptr;
  int callcount = 0;
  int callcapacity = 0;
  openchain* chains = nullptr;
  int chaincount = 0;
  int chaincapacity = 0;
  openlist* lists = nullptr;
  int listcount = 0;
  int listcapacity = 0;
  target aim;                       // the assignment's target
  variable* appendtarget = nullptr; // the stored list that `name = name + list` may extend
  bool appendfailed = false;
  // Before the right side of an assignment: the calls made so far, the store's generation and
  // the tick (see targetmoved).
  unsigned long long callsbefore = 0;
  unsigned long long storebefore = 0;
  unsigned long long tickbefore = 0;
  failurecontext context{};
  bool inexpression = false; // the failure came from an operand or operator
  bool threw = false;        // the function called last threw an exception
  bool novalue = false;      // the call that closed last left no value (see lacksvalue)
  char novaluename[maxpathlen + 1] = "";
  resolution pending{};  // what the parser's last name resolved to (the general way)
  bool finished = false; // the statement has ended; it goes on at nextline
  int nextline = 0;
  ctrlitem closed{}; // the block item an until or while took off the control stack
};

// --- what every statement does, kept inline for the statement loop ----------------------

// The machine's registers before a statement.
inline void engine::beginline() {
  aim.slot = nullptr;
  appendtarget = nullptr;
  appendfailed = false;
  context.text = "";
  context.fatal = false;
  context.depth = 0;
  inexpression = false;
  novalue = false;
  finished = false;
}

// The statement is over: what it left open is given back; where the run goes on, or how it
// fails (see unwind).
inline int engine::finishline() {
  if (finished && callcount == 0 && pending.script == nullptr) {
    chaincount = 0;
    listcount = 0;
    return nextline;
  }
  return unwind();
}

// Empties the operand stack and gives back every temporary list of the last statement, with
// what was stored into them.
inline void engine::resetoperands() {
  depth = 0;
  stackaccess::setcount(opstack, 0);
  if (temps->adoptedcount() > 0) retireoperands();
  temps->reset(); // the operand stack's arena with it
}

// The variable a site remembers, when the name still finds it there, or a parameter found at
// the same place in the parameters of another call (else null).
inline variable* engine::remembered(site& s) {
  if (globals == nullptr) return nullptr;
  if (stillfound(s.found, globals, frame, s.bit)) return s.found.slot;
  return s.found.parameter ? refindparameter(s) : nullptr;
}

// Whether the line was compiled under the registry, script files and folders that are now. A
// line that calls a script takes in the change notifications that are due first, so that it
// sees a file changed by the host or another process as a line not compiled does; one whose
// script has no kept text is resolved again every time.
inline bool engine::current(compiledline const& line) {
  if (!line.resolves) return true;
  if (line.unkept) return false;
  unsigned long long scripts = line.callsscript ? scriptsgeneration() : scriptsgenerationnow();
  return line.registry == shared->registrygeneration && line.scripts == scripts &&
         line.paths == shared->pathsgeneration;
}

} // namespace vesk
