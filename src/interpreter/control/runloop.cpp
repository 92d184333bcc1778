// runloop.cpp - the loop over a run's statements: the checks and bookkeeping every statement
// costs (a count, a look at the stop request, the overlay, the operand stack, the tick of its
// beginning), the compiled form a line runs in when it has one, and the reference way for a
// line that has none (yet); what a failed statement leaves open is given back here.
#include <cstring>

#include "callframe.h"
#include "codebook.h"
#include "family.h"
#include "fastpaths.h"
#include "numbers.h"
#include "parser.h"
#include "reference.h"
#include "runner.h"
#include "scriptcache.h"
#include "scripttexts.h"
#include "storeaccess.h"

namespace vesk {

namespace {

// The message for a block left open at the end of a run, by kind of block.
char const* notterminated(int kind) {
  switch (kind) {
  case ifblock:
    return "'if' not terminated with 'end'";
  case fortoblock:
    return "'for .. to' not terminated with 'next'";
  case foreachblock:
    return "'for each' not terminated with 'next'";
  case tryblock:
    return "'try' not terminated with 'end'";
  case repeatblock:
    return "'repeat' not terminated with 'until'";
  case doblock:
    return "'do' not terminated with 'while'";
  default:
    return "block not terminated";
  }
}

} // namespace

// Runs the lines from cmdindex to the end, then makes the end-of-run checks. While no second
// thread is in the family, a compiled line's statement costs only what it must: a count
// against the limit, a look at the stop request, the operand stack emptied, the tick of its
// beginning (the overlay is as this engine left it: whatever lays another one over the store
// lays this one back).
bool runner::runtoend() {
  family& f = *shared;
  while (cmdindex < numcmds) {
    if (f.lock.parallels.load(std::memory_order_relaxed) == 0) {
      if (compiledline* line = compiledfor(cmdindex)) {
        if (!runcompiledlines(line)) return false;
        continue;
      }
    }
    statementlock hold(&shared->lock);
    restoreoverlay();
    resetoperands();
    beginstatement(shared->lock, thread);
    int next = runline(cmdindex, f.lock.parallels.load(std::memory_order_relaxed) > 0);
    endstatement(shared, thread);
    if (!continueat(next)) return false;
  }
  statementlock hold(&shared->lock);
  cmdindex = numcmds - 1; // a stop is reported at the last line
  if (stopped()) return false;
  if (ctrltop == 0) return true;
  cmdindex = numcmds;
  error(notterminated(ctrlstack[ctrltop - 1].kind));
  return false;
}

// Runs line `index` (from its compiled form only when `compiled`: the caller has not looked
// for it yet); the next line, recoverable, or -1. Only lines that hold a statement count
// against the statement limit.
int runner::runline(int index, bool compiled) {
  beginline();
  if (compiledline* line = compiled ? compiledfor(index) : nullptr) {
    if (!line->empty && !proceed()) return -1;
    exec(line->code, line->count, line, index + bookoffset);
    return finishline();
  }
  referencerun general(*this);
  parser reader(cmds[index], general, general);
  if (!reader.empty() && !proceed()) return -1;
  reader.statement();
  return finishline();
}

// What finishline leaves to its slower half: the calls a failed statement left open, and how
// it fails (with the statement's message after a failed expression).
int runner::unwind() {
  while (callcount > 0) closecall(calls[--callcount]);
  chaincount = 0;
  listcount = 0;
  if (pending.script != nullptr) {
    releasescripttext(pending.script);
    pending.script = nullptr;
  }
  if (finished) return nextline;
  // A statement that a stop ended has nothing to add to the stop's message.
  if (inexpression && context.text[0] != '\0' && !appendfailed &&
      !shared->stoprequested.load(std::memory_order_relaxed))
    error(context.text);
  return context.fatal ? -1 : recoverable;
}

// The compiled form of line `index` that may run now: compiled on the line's second pass, and
// compiled again when its names changed kind (unless it runs further up, when this pass goes
// the reference way). Null: the line goes the reference way.
compiledline* runner::compiledfor(int index) {
  if (book == nullptr || !fastpaths()) return nullptr;
  int at = index + bookoffset;
  compiledline* line = book->line(at);
  if (line == nullptr) {
    if (!book->again(at)) return nullptr;
    line = compile(cmds[index], nullptr, 0);
    if (line != nullptr) book->install(at, line);
    return line;
  }
  if (stillvalid(*line) || stillresolves(*line, 0)) return line;
  if (line->running > 0) return nullptr;
  line = compile(cmds[index], nullptr, 0);
  book->install(at, line);
  return line;
}

} // namespace vesk
