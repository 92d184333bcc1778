// runner.h - the run of lines: which line runs next, with the control stack of the blocks it
// has open (controlstack.h); the one loop over instructions that every statement runs through
// (dispatch.cpp); the checks every statement costs (the statement limit, the stop request, the
// hook); and the block statements. Invariant: between two statements the operand stack is
// empty, `cmdindex` is the line that runs next, and a failed statement either continues in
// the try block that intercepts it or ends the run.
#pragma once

#include "compiledlines.h"
#include "controlstack.h"

namespace vesk {

struct quicknumbers;

class runner : public compiledlines {
public:
  runner(registry* registryof, variables* store, logfunc logto)
      : compiledlines(registryof, store, logto) {}
  ~runner() override;

  // --- a run (run.cpp) and its statement loop (runloop.cpp) ---
  bool run(char const** lines, int count, char const* name, codebook* compiled, int offset);
  bool runtoend();
  // A statement that failed while the host asked to stop (a long one ends so, without a
  // message of its own) ends the run with the stop's message; no try block intercepts it.
  bool continueat(int next) {
    if (next < 0 && stopped()) return false;
    if (next < 0 && shared->onerror != nullptr && !reporterror(next)) return false;
    if (next == recoverable) return recover();
    cmdindex = next;
    return cmdindex >= 0;
  }
  int runline(int index, bool compiled);
  compiledline* compiledfor(int index);
  void beginline();
  int finishline();
  int unwind();
  bool recover();
  // Whether the next statement may run: false, after a message that no try block intercepts,
  // once the host has asked to stop or the statement limit is used up. A statement costs a
  // count and a look at the stop request; every so many statements (and before the one that
  // would pass the limit) a full check counts them and takes in changes of script files. While
  // a hook is set every statement takes the full check, which calls the hook.
  bool proceed() { return counted() || recheck(); }
  // The statement is counted without the full check; false: it needs that (recheck).
  bool counted() {
    if (shared->budget > 0 && !shared->stoprequested.load(std::memory_order_relaxed)) {
      --shared->budget;
      return true;
    }
    return false;
  }
  bool recheck();
  bool stopped();
  void halt(char const* reason);
  bool reportstatement();
  bool reporterror(int next);
  bool intercepted();
  template <typename hookcall> bool whilepaused(hookcall const& call);
  char const* statementtext() const;
  // The values evaluated while this engine was paused in the hook are given back (by the
  // engines that hold them).
  virtual void endpause() = 0;

  // --- the one loop over instructions (dispatch.cpp) ---
  bool runcompiledlines(compiledline* line);
  emitresult exec(instruction const* code, int count, compiledline* line, int index);
  template <opcodetier tier>
  emitresult execute(instruction const& in, compiledline* line, instruction const* next,
                     quicknumbers* numbers);
  static constexpr int quickmiss = -2; // runquick: the general instructions run the statement
  int runquick(compiledline& line);
  bool fastarithmetic(opcode code);
  bool twonumbers() const;
  bool fastassign();
  bool lastindex();
  bool targetindex();
  emitresult quickpush(variable const* value, quicknumbers& numbers);
  emitresult quickelement(compiledline& line, instruction const& in, quicknumbers& numbers);
  static variable* quickreach(variable* list, double const* index, int count);
  emitresult quickelements(compiledline& line, instruction const& in, quicknumbers& numbers);
  emitresult quickstoreelements(compiledline& line, instruction const& in, quicknumbers& numbers);
  emitresult quickcall(site const& callee, int count, quicknumbers& numbers);
  emitresult quickstore(variable* slot, double number);
  emitresult quickstoreelement(compiledline& line, instruction const& in, quicknumbers& numbers);
  emitresult quickblock(instruction const& in, double condition);

  // --- blocks (blocks.cpp, loops.cpp) and finding their ends (matching.cpp) ---
  int blockstatement(instruction const& in);
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
  bool countloop(bool general);
  bool eachloop(ctrlitem& item, bool general);
  int execute_try();
  int execute_catch();
  int execute_until(bool done);
  int execute_while(bool again);
  virtual int execute_parallel() = 0; // a block of nested engines
  bool setloopvariable(char const* name, variable* value, variable** slot);
  void followlist(ctrlitem& item, variable* list, variable* element, variable* counter);
  bool setcounter(ctrlitem& item);
  int find_end(int start);
  int find_else(int start);
  int find_ifparts(int start, int* divider);
  int find_catch(int start);
  int find_thread(int start);
  int find_next(int start);
  int matched(int kind, int start, int (*scan)(char const* const*, int, int));
  void clearmatches();
  void endmatches();
  void releasematches();

  char const** cmds = nullptr;
  int numcmds = 0;
  ctrlitem* ctrlstack = nullptr;
  int ctrltop = 0;
  int ctrlsize = 0;
  ctrlitem closed{};      // the block item an until or while took off the control stack
  int* matches = nullptr; // the matchers' answers in the current run

  // The call stack, for a paused run: the engine whose statement waits for this one (a script
  // call's caller, or the engine of a parallel block for its parts; null for the host's), the
  // part of a parallel block it runs in, and whether it is such a part (it continues the call
  // of its `outer`). `evaluated`: the engines holding values evaluated during this engine's
  // pause, linked by `nextevaluated`.
  runner* outer = nullptr;
  int part = 0;
  bool ispart = false;
  runner* evaluated = nullptr;
  runner* nextevaluated = nullptr;
  char shownname[maxpathlen + 1] = ""; // the frame's name, made when a paused run is asked
};

// --- what every statement does, kept inline for the statement loop ----------------------

// The machine's registers before a statement.
inline void runner::beginline() {
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
inline int runner::finishline() {
  if (finished && callcount == 0 && pending.script == nullptr) {
    chaincount = 0;
    listcount = 0;
    return nextline;
  }
  return unwind();
}

} // namespace vesk
