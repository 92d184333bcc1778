// statementloop.cpp - the loop over a run's statements: the checks and bookkeeping every
// statement costs (a count, a look at the stop request, the overlay, the operand stack, the
// tick of its beginning), and the instructions of a compiled line, which run here where they
// are operations on numbers or on variables whose sites remember them, and as the general way
// runs them otherwise. A line not compiled (yet) is read by the parser and run as it is read.
#include <cstring>

#include "callframe.h"
#include "codebook.h"
#include "engine.h"
#include "family.h"
#include "fastpaths.h"
#include "numbers.h"
#include "parser.h"
#include "quick.h"
#include "scriptcache.h"
#include "scripttexts.h"
#include "storeaccess.h"
#include "streamer.h"

namespace vesk {

namespace {

constexpr int quickgiveup = 16;

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

// Runs the lines from cmdindex to the end, then makes the end-of-run checks. While no second
// thread is in the family, a compiled line's statement costs only what it must: a count
// against the limit, a look at the stop request, the operand stack emptied, the tick of its
// beginning (the overlay is as this engine left it: whatever lays another one over the store
// lays this one back).
bool engine::endofrun() {
  family& f = *shared;
  while (cmdindex < numcmds) {
    if (f.parallels.load(std::memory_order_relaxed) == 0) {
      if (compiledline* line = compiledfor(cmdindex)) {
        if (!runcompiledlines(line)) return false;
        continue;
      }
    }
    statementlock hold(shared);
    restoreoverlay();
    resetoperands();
    beginstatement(shared, thread);
    int next = runline(cmdindex, f.parallels.load(std::memory_order_relaxed) > 0);
    endstatement(shared, thread);
    if (!goon(next)) return false;
  }
  statementlock hold(shared);
  cmdindex = numcmds - 1; // a stop is reported at the last line
  if (stopped()) return false;
  if (ctrltop == 0) return true;
  cmdindex = numcmds;
  error(notterminated(ctrlstack[ctrltop - 1].kind));
  return false;
}

// Where the run goes on after a statement that answered `next`: there, or in a try block that
// intercepts its failure. False: the run ends.
bool engine::goon(int next) {
  if (next == recoverable) return recover();
  cmdindex = next;
  return cmdindex >= 0;
}

// Runs compiled lines, `line` first, one statement after the other, as long as the lines that
// come are compiled and no second thread is in the family. A line with a quick form runs that
// (it holds no storage, so it is no statement that storage must wait for) until it has had to
// give the statement to the general way too often in a row. False: the run ends.
bool engine::runcompiledlines(compiledline* line) {
  family& f = *shared;
  for (;;) {
    if (!line->empty && !proceed()) return false;
    resetoperands();
    int next = quickmiss;
    if (line->quick != nullptr && line->quick->misses < quickgiveup) next = runquick(*line);
    if (next == quickmiss) {
      beginstatement(shared, thread);
      beginline();
      runcompiled(*line, cmdindex + bookoffset);
      endstatement(shared, thread);
      next = finishline();
    }
    if (!goon(next)) return false;
    if (cmdindex >= numcmds || f.parallels.load(std::memory_order_relaxed) > 0) return true;
    // The book is there and fast paths are on: that is how this run got here.
    compiledline* kept = book->line(cmdindex + bookoffset);
    line = kept != nullptr && current(*kept) ? kept : compiledfor(cmdindex);
    if (line == nullptr) return true;
  }
}

// Runs line `index` (from its compiled form only when `compiled`: the caller has not looked
// for it yet); the next line, recoverable, or -1. Only lines that hold a statement count
// against the statement limit.
int engine::runline(int index, bool compiled) {
  beginline();
  if (compiledline* line = compiled ? compiledfor(index) : nullptr) {
    if (!line->empty && !proceed()) return -1;
    runcompiled(*line, index + bookoffset);
    return finishline();
  }
  streamer general(*this);
  parser reader(cmds[index], general, general);
  if (!reader.empty() && !proceed()) return -1;
  reader.statement();
  return finishline();
}

// What finishline leaves to the general way: the calls a failed statement left open, and how
// it fails (with the statement's message after a failed expression).
int engine::unwind() {
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

// The compiled form of line `index` that may run now: compiled on the line's second pass, and
// compiled again when its names changed kind (unless it runs further up, when this pass goes
// the general way). Null: the line goes the general way.
compiledline* engine::compiledfor(int index) {
  if (book == nullptr || !fastpaths()) return nullptr;
  int at = index + bookoffset;
  compiledline* line = book->line(at);
  if (line == nullptr) {
    if (!book->again(at)) return nullptr;
    line = compile(cmds[index], nullptr, 0);
    if (line != nullptr) book->install(at, line);
    return line;
  }
  if (current(*line) || stillresolves(*line, 0)) return line;
  if (line->running > 0) return nullptr;
  line = compile(cmds[index], nullptr, 0);
  book->install(at, line);
  return line;
}

// A variable's value onto the operands, found the way its site finds it.
emitresult engine::compiledvariable(site& s) {
  variable* value = sitevariable(s, nullptr);
  if (value == nullptr) {
    error("unknown element '%s'", s.name);
    inexpression = true;
    return failed;
  }
  if (pushvalue(value)) return emitted;
  inexpression = true;
  return failed;
}

// The operations on numbers alone, as the general way does them when both operands are
// numbers without records. False: the operands are something else (the general way decides).
bool engine::fastarithmetic(opcode code) {
  if (depth < 2 || operands[depth - 1].record != nullptr || operands[depth - 2].record != nullptr)
    return false;
  double& left = operands[depth - 2].number;
  double right = operands[depth - 1].number;
  switch (code) {
  case op_add: left += right; break;
  case op_subtract: left -= right; break;
  case op_multiply: left *= right; break;
  default: return false;
  }
  --depth;
  return true;
}

// The two operands on top are numbers without records.
bool engine::twonumbers() const {
  return depth >= 2 && operands[depth - 1].record == nullptr &&
         operands[depth - 2].record == nullptr;
}

// An assignment of a number to a variable that holds one, without calls on its right side:
// the number is written in place. False: the general way assigns.
bool engine::fastassign() {
  if (depth != 1 || operands[0].record != nullptr || appendtarget != nullptr ||
      storeaccess::generation(*globals) != storebefore || shared->calls != callsbefore ||
      !storeaccess::isnumber(*aim.slot))
    return false;
  storeaccess::setnumber(*aim.slot, operands[0].number);
  depth = 0;
  finished = true;
  nextline = cmdindex + 1;
  return true;
}

// "]" that ends an operand's chain, with a number as the index into a list: the element's value
// replaces what the chain pushed, as op_indexclose and op_chainend do together. False: the
// general way runs them (it also reports what is wrong).
bool engine::lastindex() {
  openchain const& chain = chains[chaincount - 1];
  variable* list = chain.current;
  if (depth != chain.depth + 1 || operands[depth - 1].record != nullptr ||
      (!list->islist() && !list->isnamedlist()))
    return false;
  double index = operands[depth - 1].number;
  if (!(index > -1.0 && index < list->count())) return false;
  variable* element = list->index(static_cast<int>(index));
  --chaincount;
  popoperands(1);
  return pushvalue(element);
}

// "]" of an assignment's target with a number as the index into a list: the element becomes
// the target. False: the general way selects it (and reports what is wrong).
bool engine::targetindex() {
  variable* list = aim.slot;
  if (depth < 1 || operands[depth - 1].record != nullptr ||
      (!list->islist() && !list->isnamedlist()))
    return false;
  double index = operands[depth - 1].number;
  if (!(index > -1.0 && index < list->count())) return false;
  popoperands(1);
  select(aim, list, list->index(static_cast<int>(index)), true);
  return true;
}

// "next" of a counting loop whose variable is where it was set last: counted in place. False:
// the general way runs it (another block, a counter that cannot advance, a variable gone).
bool engine::countloop() {
  if (ctrltop <= 0 || ctrlsize <= 0) return false;
  ctrlitem& item = ctrlstack[ctrltop - 1];
  if (item.kind != fortoblock || item.counter == nullptr || globals == nullptr ||
      storeaccess::generation(*globals) != item.countergeneration ||
      !storeaccess::isnumber(*item.counter))
    return false;
  double value = item.value + 1;
  if (value == item.value) return false;
  item.value = value;
  storeaccess::setnumber(*item.counter, value);
  finished = true;
  if (value <= item.limit) {
    nextline = item.target;
  } else {
    --ctrltop;
    nextline = cmdindex + 1;
  }
  return true;
}

// Runs a compiled line; a line whose names changed kind after a call in it goes on in the line
// compiled again from there (installed in the book when the statement is over). Operations on
// numbers and remembered variables run here; everything else as the general way runs it.
void engine::runcompiled(compiledline& line, int index) {
  compiledline* running = &line;
  ++running->running;
  int pc = 0;
  while (pc < running->count) {
    instruction const& in = running->code[pc];
    emitresult result = emitted;
    switch (in.code) {
    case op_number:
      if (!pushnumber(in.number)) result = failed;
      break;
    case op_variable: {
      variable* value = remembered(running->sites[in.site]);
      if (value != nullptr && storeaccess::plainnumber(*value) && depth < slots)
        operands[depth++] = {storeaccess::numberof(*value), nullptr};
      else
        result = compiledvariable(running->sites[in.site]);
      break;
    }
    case op_add:
    case op_subtract:
    case op_multiply:
      if (!fastarithmetic(in.code)) result = step(in);
      break;
    case op_remainder:
      // A divisor that truncates to zero goes the general way, which reports it.
      if (twonumbers() && remainderof(operands[depth - 2].number, operands[depth - 1].number,
                                      &operands[depth - 2].number))
        --depth;
      else
        result = step(in);
      break;
    case op_compare:
      if (twonumbers()) {
        operands[depth - 2].number = holds(static_cast<tokentype>(in.flag),
                                           operands[depth - 2].number, operands[depth - 1].number);
        --depth;
      } else {
        result = step(in);
      }
      break;
    case op_context:
      context.text = in.text;
      context.fatal = (in.flag & failstatement) != 0;
      context.depth = depth;
      if (aim.slot != nullptr) {
        // The right side of an assignment: see beginrightside.
        variable const& held = *aim.slot;
        if (aim.kind == variableslot && aim.plain && (held.islist() || held.isnamedlist()))
          appendtarget = aim.slot;
        callsbefore = shared->calls;
        storebefore = storeaccess::generation(*globals);
        tickbefore = shared->clock;
      }
      break;
    case op_next:
      if (!countloop()) result = step(in);
      break;
    case op_assign:
      if (!fastassign()) result = step(in);
      break;
    case op_chainbase:
      result = openchainat(sitevariable(running->sites[in.site], nullptr)) ? emitted : failed;
      break;
    case op_target: {
      site& s = running->sites[in.site];
      variable* slot = (in.flag & targetcommand) ? nullptr : remembered(s);
      if (slot == nullptr) {
        result = compiledtarget(in, running->sites[in.site]);
        break;
      }
      aim.slot = slot;
      aim.container = s.found.container;
      aim.kind = s.found.parameter ? parameterslot : variableslot;
      aim.plain = (in.flag & targetselectors) == 0;
      aim.failed = false;
      aim.name = in.text;
      break;
    }
    case op_member:
      result = (in.flag & memberbefore) ? step(in) : compiledmember(in, running->sites[in.site]);
      break;
    case op_callopen: result = compiledcall(running->sites[in.site]); break;
    case op_indexclose:
      if (in.flag == 0 && in.number == 0 && pc + 1 < running->count &&
          running->code[pc + 1].code == op_chainend && lastindex())
        ++pc; // the chain's end is done with it
      else if (in.flag != selecttarget || in.number != 0 || !targetindex())
        result = step(in);
      break;
    case op_if:
    case op_else:
    case op_end:
    case op_until:
    case op_while:
    case op_repeat:
    case op_do:
    case op_forto:
    case op_foreach: result = ended(blockstatement(in)); break;
    case op_discard:
    case op_empty: result = ended(cmdindex + 1); break;
    default: result = step(in); break;
    }
    if (in.code == op_callclose && result == emitted && novalue && pc + 1 < running->count &&
        lacksvalue(running->code[pc + 1].code))
      result = failed;
    if (result == failed) {
      if (in.code < op_target) inexpression = true;
      break;
    }
    if (finished) break;
    if (result == absent) {
      pc = running->reread;
      continue;
    }
    if (in.code == op_callclose && !current(*running)) {
      compiledline* again = resumeafter(*running, pc);
      if (again != running) {
        --running->running;
        if (running != &line && running->running == 0) releaseline(running);
        running = again;
        ++running->running;
      }
    }
    ++pc;
  }
  --running->running;
  if (running != &line) {
    if (book != nullptr) book->install(index, running);
    else if (running->running == 0) releaseline(running);
  }
}

} // namespace vesk
