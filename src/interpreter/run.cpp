// run.cpp - a run's beginning and its checks: the host's runs of lines, single command lines
// and expressions, the statement limit, the stop request and the hook, and the jump of a
// failed statement to the nearest try block. The loop over the statements is in
// statementloop.cpp.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "callframe.h"
#include "codebook.h"
#include "engine.h"
#include "family.h"
#include "fastpaths.h"
#include "parser.h"
#include "scriptcache.h"
#include "scriptmemo.h"
#include "scripttexts.h"
#include "storeaccess.h"
#include "streamer.h"

namespace vesk {

namespace {

// While a host's single line or expression runs, it is the run's one line (what a hook is
// told), under a frame that keeps the overlay the store has.
class hostline {
public:
  hostline(engine& e, char const* text)
      : machine(e), single{text}, lines(e.cmds), count(e.numcmds),
        host(e.globals ? storeaccess::overlay(*e.globals) : nullptr, false) {
    e.cmds = single;
    e.numcmds = 1;
    e.frame = &host;
  }
  ~hostline() {
    machine.cmds = lines;
    machine.numcmds = count;
    machine.frame = nullptr;
  }
  hostline(hostline const&) = delete;
  hostline& operator=(hostline const&) = delete;

private:
  engine& machine;
  char const* single[1];
  char const** lines; // the engine's lines before
  int count;
  callframe host;
};

} // namespace

bool engine::recheck() {
  constexpr long long checkevery = 1024;
  family& f = *shared;
  if (stopped()) return false;
  f.executed += f.granted - f.budget;
  f.granted = f.budget = 0;
  scriptsgeneration(); // takes in change notifications when they are due
  long long left = f.statementlimit > 0 ? f.statementlimit - f.executed : checkevery;
  if (left > 0) {
    long long grant = f.hook != nullptr ? 1 : checkevery; // a hook sees every statement
    f.granted = left < grant ? left : grant;
    f.budget = f.granted - 1; // this statement takes one
    return f.hook == nullptr || reportstatement();
  }
  char text[messagesize];
  snprintf(text, sizeof text, "%s(%d): error: statement limit of %lld reached", scriptname,
           cmdindex + 1, shared->statementlimit);
  f.halted = true;
  // The host learns why even when a try body collects the run's messages.
  (f.hostlog ? f.hostlog : log)(logerror, text);
  return false;
}

// Whether the run has been stopped: by the host (reported here, once) or by the statement
// limit. A stop that comes during the last statement of a run still fails the run.
bool engine::stopped() {
  if (shared->halted) return true;
  if (!shared->stoprequested.load(std::memory_order_relaxed)) return false;
  char text[messagesize];
  snprintf(text, sizeof text, "%s(%d): error: run stopped by the host", scriptname,
           cmdindex + 1);
  shared->halted = true;
  (shared->hostlog ? shared->hostlog : log)(logerror, text);
  return true;
}

// Hands the statement about to run to the host's hook; false (reported as the host's stop)
// when the hook asks to stop.
bool engine::reportstatement() {
  family& f = *shared;
  bool inrun = cmds != nullptr && cmdindex >= 0 && cmdindex < numcmds;
  char const* text = inrun ? cmds[cmdindex] : cmds != nullptr && numcmds == 1 ? cmds[0] : "";
  // The lines of a parallel block's part are counted from the script's first line.
  statementinfo at{scriptname, cmdindex + bookoffset + 1, text, calldepth};
  bool carryon = false;
  try {
    carryon = f.hook(*f.hookowner, at, f.hookdata);
  } catch (...) {
    // An exception must not unwind through the engine: the run ends here, as a stop does.
    char message[messagesize];
    snprintf(message, sizeof message, "%s(%d): error: the statement hook threw an exception",
             scriptname, cmdindex + 1);
    f.halted = true;
    (f.hostlog ? f.hostlog : log)(logerror, message);
    return false;
  }
  if (carryon) return true;
  f.stoprequested = true;
  stopped();
  return false;
}

// Every statement comes to recheck from the next on while a hook is set.
void engine::sethook(interpreter* owner, statementhook hook, void* data) {
  if (shared == nullptr) return;
  shared->hook = hook;
  shared->hookowner = owner;
  shared->hookdata = data;
  shared->executed += shared->granted - shared->budget;
  shared->granted = shared->budget = 0;
}

void engine::setstatementlimit(long long statements) {
  if (shared != nullptr) shared->statementlimit = statements > 0 ? statements : 0;
}

void engine::stop() {
  if (shared != nullptr) shared->stoprequested = true;
}

// A run given by the host: its statements see whatever the host laid over the store.
bool engine::execute(char const** lines, int count, char const* name) {
  if (!begincall()) return false;
  bool ok = false;
  if (!refused(name, lines, count)) {
    callframe host(globals ? storeaccess::overlay(*globals) : nullptr, false);
    frame = &host;
    // The host's lines may change before its next call: their compiled forms last this run.
    codebook* compiled = fastpaths() ? codebook::make(count) : nullptr;
    ok = run(lines, count, name, compiled, 0);
    codebook::release(compiled);
    frame = nullptr;
  }
  endcall();
  return ok;
}

// Runs `lines`, which are the lines of `compiled` from `offset` on (when there is a book).
bool engine::run(char const** lines, int count, char const* name, codebook* compiled,
                 int offset) {
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
    ok = endofrun();
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

// Lays this engine's parameters over the store again, after a call or another part of a
// parallel block may have laid others there.
void engine::restoreoverlay() {
  if (globals == nullptr) return;
  variable* params = frame ? frame->params : nullptr;
  if (storeaccess::overlay(*globals) != params) storeaccess::setoverlay(*globals, params);
}

// Continues in the nearest try block whose catch part is not already running: at its catch
// line, or after its end when it has none. False when there is no such block.
bool engine::recover() {
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

// A single command line: an expression statement or an assignment; no blocks. Its value is
// left on the operand stack, where a function the host calls next may read it.
bool engine::execute(char const* line, char const* name) {
  if (!begincall()) return false;
  bool ok = false;
  cmdindex = 0;
  if (line != nullptr && !refused(name, nullptr, 0)) {
    ctrlstack = nullptr;
    ctrltop = 0;
    ctrlsize = 0;
    copytext(scriptname, name, maxpathlen);
    hostline single(*this, line);
    statementlock hold(shared);
    if (proceed()) {
      resetoperands();
      beginstatement(shared, thread);
      beginline();
      streamer general(*this);
      parser reader(line, general, general);
      reader.command();
      ok = finishline() >= 0 && !stopped();
      topvalue();
      endstatement(shared, thread);
    }
  }
  endcall();
  return ok;
}

// The evaluation counts as a statement that goes on until the next call: the storage its
// value may refer to stays until then.
variable* engine::evaluate(char const* text) {
  if (text == nullptr || !begincall()) return nullptr;
  cmdindex = -1; // functions called from here report line 0
  scriptname[0] = '\0';
  ctrlstack = nullptr;
  ctrltop = 0;
  ctrlsize = 0;
  variable* result = nullptr;
  {
    hostline single(*this, text); // reported at line 0
    statementlock hold(shared);
    if (proceed()) {
      resetoperands();
      beginstatement(shared, thread);
      beginline();
      streamer general(*this);
      parser reader(text, general, general);
      bool rest = false;
      bool ok = reader.expression(&rest);
      finishline();
      if (ok && !rest && !stopped()) result = topvalue();
    }
  }
  endcall();
  return result;
}

} // namespace vesk
