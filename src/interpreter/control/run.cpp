// run.cpp - a run of lines: its beginning and end, the checks before a statement (the statement
// limit, the stop request, the hook), and the jump of a failed statement to the nearest try
// block. The loop over the statements is in runloop.cpp.
#include <cstdio>
#include <cstdlib>

#include "diagnostics.h"
#include "releasehold.h"
#include "runner.h"
#include "scriptcache.h"
#include "scriptmemo.h"

namespace vesk {

bool runner::recheck() {
  constexpr long long checkevery = 1024;
  family& f = *shared;
  if (stopped()) return false;
  f.executed += f.granted - f.budget;
  f.granted = f.budget = 0;
  // Change notifications are taken in every so many statements, also while a hook makes each
  // statement come here (a compiled line that calls a script looks for changes itself).
  if (f.executed - f.executedatpoll >= checkevery || f.executed < f.executedatpoll) {
    f.executedatpoll = f.executed;
    scriptsgeneration();
  }
  long long left = f.statementlimit > 0 ? f.statementlimit - f.executed : checkevery;
  if (left > 0) {
    long long grant = f.hook != nullptr ? 1 : checkevery; // a hook sees every statement
    f.granted = left < grant ? left : grant;
    f.budget = f.granted - 1; // this statement takes one
    // Statements that a paused run's hook has evaluated are not shown to it.
    return f.hook == nullptr || f.paused.load(std::memory_order_relaxed) != nullptr ||
           reportstatement();
  }
  char text[messagesize];
  snprintf(text, sizeof text, "statement limit of %lld reached", shared->statementlimit);
  halt(text);
  return false;
}

// The run ends, and no try block may catch it; the host learns why even when a try body
// collects the run's messages.
void runner::halt(char const* reason) {
  char text[messagesize];
  formatdiagnostic(text, sizeof text, scriptname, cmdindex + 1, "error", reason);
  shared->halted = true;
  (shared->hostlog ? shared->hostlog : log)(logerror, text);
}

// Whether the run has been stopped: by the host (reported here, once) or by the statement
// limit. A stop that comes during the last statement of a run still fails the run.
bool runner::stopped() {
  if (shared->halted) return true;
  if (!shared->stoprequested.load(std::memory_order_relaxed)) return false;
  halt("run stopped by the host");
  return true;
}

// Calls the host's hook (`call`) with the run paused at this engine until it returns: what the
// host gives back from the store meanwhile waits until no statement can hold it, and so do the
// values it evaluates, which go when the hook returns. False when the hook threw.
template <typename hookcall> bool runner::whilepaused(hookcall const& call) {
  family& f = *shared;
  unsigned long long statement = thread->statement;
  f.paused.store(this, std::memory_order_release);
  releasehold outerhold = setreleasehold({holdforstatement, shared});
  bool threw = false;
  try {
    call();
  } catch (...) {
    threw = true;
  }
  setreleasehold(outerhold);
  f.paused.store(nullptr, std::memory_order_release);
  if (evaluated != nullptr) {
    endpause();
    restoreoverlay(); // in case an evaluation left another call's parameters in the store
  }
  if (statement == 0 && thread->statement != 0) endstatement(shared, thread);
  return !threw;
}

// The line of the statement at cmdindex as written ("" when there is none).
char const* runner::statementtext() const {
  bool inrun = cmds != nullptr && cmdindex >= 0 && cmdindex < numcmds;
  return inrun ? cmds[cmdindex] : cmds != nullptr && numcmds == 1 ? cmds[0] : "";
}

// Hands the statement about to run to the host's hook; false (reported as the host's stop)
// when the hook asks to stop.
bool runner::reportstatement() {
  family& f = *shared;
  // The lines of a parallel block's part are counted from the script's first line.
  statementinfo at{scriptname, cmdindex + bookoffset + 1, statementtext(), calldepth, part};
  bool carryon = false;
  if (!whilepaused([&] { carryon = f.hook(*f.hookowner, at, f.hookdata); })) {
    // An exception must not unwind through the engine: the run ends here, as a stop does.
    halt("the statement hook threw an exception");
    return false;
  }
  if (carryon) return true;
  f.stoprequested = true;
  stopped();
  return false;
}

// The statement at cmdindex failed (`next`: recoverable, or -1 when nothing may intercept it):
// the host's error hook is told, unless the host stopped the run, the failure is a script call's
// whose error was told where it was raised, or a hook is running. False: the hook stopped the
// run.
bool runner::reporterror(int next) {
  family& f = *shared;
  bool fromscript = scriptfailed;
  scriptfailed = false;
  if (fromscript || f.halted || f.stoprequested.load(std::memory_order_relaxed) ||
      f.paused.load(std::memory_order_relaxed) != nullptr)
    return true;
  char const* message = errorstamp == statementcount() ? firsterror : "";
  errorinfo at{scriptname, cmdindex + bookoffset + 1,           statementtext(), calldepth, part,
               message,    next == recoverable && intercepted()};
  bool called = whilepaused([&] { f.onerror(*f.errorowner, at, f.errordata); });
  errorstamp = -1;
  if (!called) {
    halt("the error hook threw an exception");
    return false;
  }
  return !stopped();
}

// Whether a try block takes the run on after this engine's statement failed: one of this
// engine's, or of the engines whose statements wait for it (a failed script call fails the
// statement that made it) up to the parallel part it runs in (a part's failure ends only it).
bool runner::intercepted() {
  for (runner* r = this; r != nullptr; r = r->outer) {
    for (int i = r->ctrltop - 1; i >= 0; --i)
      if (r->ctrlstack[i].kind == tryblock && !r->ctrlstack[i].catching) return true;
    if (r->ispart) return false;
  }
  return false;
}

// Runs `lines`, which are the lines of `compiled` from `offset` on (when there is a book).
bool runner::run(char const** lines, int count, char const* name, codebook* compiled, int offset) {
  copytext(scriptname, name, maxpathlen);
  if (absentscripts != nullptr) absentscripts->lookin(scriptname, scriptpath1, scriptpath2);
  ctrltop = 0;
  ctrlsize = ctrlstacksize;
  ctrlstack = nullptr; // taken when the first block opens: most called scripts open none
  book = compiled;
  bookoffset = offset;
  bool ok = false;
  if (lines != nullptr && count >= 0) {
    vesk::logfunc hostlog = log;
    cmds = lines;
    numcmds = count;
    cmdindex = 0;
    clearmatches();
    ok = runtoend();
    // Whatever try body the run ended in, the next run starts with the caller's log function.
    log = hostlog;
    // The last statement's value stays on the operand stack, as a record, until the next.
    topvalue();
  }
  free(ctrlstack);
  ctrlstack = nullptr;
  book = nullptr;
  endmatches();
  return ok;
}

// Continues in the nearest try block whose catch part is not already running: at its catch
// line, or after its end when it has none. False when there is no such block.
bool runner::recover() {
  if (shared->halted) return false;
  for (int i = ctrltop - 1; i >= 0; --i) {
    ctrlitem& item = ctrlstack[i];
    if (item.kind != tryblock || item.catching) continue;
    log = item.savedlog;
    if (item.catchtarget > 0) {
      item.catching = true;
      ctrltop = i + 1;
      cmdindex = item.catchtarget;
    } else {
      ctrltop = i;
      cmdindex = item.target;
    }
    return true;
  }
  return false;
}

} // namespace vesk
