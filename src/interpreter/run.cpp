// run.cpp - the main loop: runs an array of lines one statement per line, each read by the
// parser and run by the machine instruction by instruction (or from the line's compiled form),
// turns a failed statement into a jump to the nearest try block, and checks that every block
// was closed. Also the host's runs of lines and single command lines.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "callframe.h"
#include "engine.h"
#include "family.h"
#include "parser.h"
#include "scriptmemo.h"
#include "scripttexts.h"
#include "storeaccess.h"

namespace vesk {

namespace {

constexpr int recoverable = -2; // a failed statement that a try block may intercept

// The message for a block left open at the end of a run, by kind of block.
char const* notterminated(int kind) {
  switch (kind) {
  case ifblock: return "'if' not terminated with 'end'";
  case fortoblock: return "'for .. to' not terminated with 'next'";
  case foreachblock: return "'for each' not terminated with 'next'";
  case tryblock: return "'try' not terminated with 'end'";
  case repeatblock: return "'repeat' not terminated with 'until'";
  case doblock: return "'do' not terminated with 'while'";
  default: return "block not terminated";
  }
}

} // namespace

// The general way of running a line: the parser reads it and every instruction runs as it is
// read; a name is resolved when it is read.
class streamer final : public sink, public resolver {
public:
  explicit streamer(engine& e) : machine(e) {}
  emitresult emit(instruction const& in) override { return machine.step(in); }
  bool running() const override { return true; }
  namekind kindof(char const* name, int) override { return machine.resolve(name, machine.pending); }

private:
  engine& machine;
};

// Whether the next statement may run: false, after a message that no try block intercepts,
// once the host has asked to stop or the statement limit is used up.
bool engine::proceed() {
  if (stopped()) return false;
  if (shared->statementlimit <= 0 || ++shared->executed <= shared->statementlimit) return true;
  char text[messagesize];
  snprintf(text, sizeof text, "%s(%d): error: statement limit of %lld reached", scriptname,
           cmdindex + 1, shared->statementlimit);
  shared->halted = true;
  // The host learns why even when a try body collects the run's messages.
  (shared->hostlog ? shared->hostlog : log)(logerror, text);
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
    ok = run(lines, count, name, nullptr);
    frame = nullptr;
  }
  endcall();
  return ok;
}

// Runs `lines`, taking their compiled forms from `book` when there is one.
bool engine::run(char const** lines, int count, char const* name, codebook* compiled) {
  copytext(scriptname, name, maxpathlen);
  if (absentscripts != nullptr) absentscripts->lookin(scriptname, scriptpath1, scriptpath2);
  ctrltop = 0;
  ctrlsize = ctrlstacksize;
  ctrlstack = nullptr; // taken when the first block opens: most called scripts open none
  book = compiled;
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
  if (globals != nullptr) storeaccess::setoverlay(*globals, frame ? frame->params : nullptr);
}

// Runs the lines from cmdindex to the end, then makes the end-of-run checks.
bool engine::endofrun() {
  while (cmdindex < numcmds) {
    statementlock hold(shared);
    restoreoverlay();
    resetoperands();
    beginstatement(shared, thread);
    int next = runline(cmdindex);
    endstatement(shared, thread);
    if (next == recoverable) {
      if (!recover()) return false;
      continue;
    }
    cmdindex = next;
    if (cmdindex < 0) return false;
  }
  statementlock hold(shared);
  cmdindex = numcmds - 1; // a stop is reported at the last line
  if (stopped()) return false;
  if (ctrltop == 0) return true;
  cmdindex = numcmds;
  error(notterminated(ctrlstack[ctrltop - 1].kind));
  return false;
}

// Runs line `index`; the next line, recoverable, or -1.
// Only lines that hold a statement count against the statement limit.
int engine::runline(int index) {
  beginline();
  streamer general(*this);
  parser reader(cmds[index], general, general);
  if (!reader.empty() && !proceed()) return -1;
  reader.statement();
  return finishline();
}

// The machine's registers before a statement.
void engine::beginline() {
  aim = target{};
  appendtarget = nullptr;
  appendfailed = false;
  context.text[0] = '\0';
  context.fatal = false;
  inexpression = false;
  finished = false;
  nextline = cmdindex + 1;
}

// The statement is over: what it left open is given back; where the run goes on, or how it
// fails (with the statement's message after a failed expression).
int engine::finishline() {
  while (callcount > 0) closecall(calls[--callcount]);
  chaincount = 0;
  listcount = 0;
  if (pending.script != nullptr) {
    releasescripttext(pending.script);
    pending.script = nullptr;
  }
  if (finished) return nextline;
  if (inexpression && context.text[0] != '\0' && !appendfailed) error(context.text);
  return context.fatal ? -1 : recoverable;
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
    callframe host(globals ? storeaccess::overlay(*globals) : nullptr, false);
    frame = &host;
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
    frame = nullptr;
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
  callframe host(globals ? storeaccess::overlay(*globals) : nullptr, false);
  frame = &host;
  {
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
  frame = nullptr;
  endcall();
  return result;
}

} // namespace vesk
