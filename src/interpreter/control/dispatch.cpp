// dispatch.cpp - the one loop over instructions (opcodes.h) that every statement runs through.
// A compiled line runs its kept instructions, its names taken from the sites that remember
// what they found and its quick tier first where it has one; the reference way hands the loop
// one instruction at a time as the parser reads it, every name looked up anew. The shortcuts
// a compiled line takes give the results the reference way gives.
#include <iterator>

#include "callframe.h"
#include "codebook.h"
#include "family.h"
#include "numbers.h"
#include "quick.h"
#include "runner.h"
#include "storeaccess.h"

namespace vesk {

namespace {

// The instructions that are parts of an expression: their failure is the expression's, and the
// statement's own message follows it.
bool inexpressionop(opcode code) {
  return code < op_target;
}

// Quick runs given to the general instructions one after the other before a line's quick tier
// is no longer tried.
constexpr int quickgiveup = 16;

} // namespace

// The operations on numbers alone, as the general way does them when both operands are
// numbers without records. False: the operands are something else (the general way decides).
inline bool runner::fastarithmetic(opcode code) {
  if (depth < 2 || operands[depth - 1].record != nullptr || operands[depth - 2].record != nullptr)
    return false;
  double& left = operands[depth - 2].number;
  double right = operands[depth - 1].number;
  switch (code) {
  case op_add:
    left += right;
    break;
  case op_subtract:
    left -= right;
    break;
  case op_multiply:
    left *= right;
    break;
  default:
    return false;
  }
  --depth;
  return true;
}

// The two operands on top are numbers without records.
inline bool runner::twonumbers() const {
  return depth >= 2 && operands[depth - 1].record == nullptr &&
         operands[depth - 2].record == nullptr;
}

// An assignment of a number to a variable that holds one, without calls on its right side:
// the number is written in place. False: the general way assigns.
inline bool runner::fastassign() {
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
inline bool runner::lastindex() {
  openchain const& chain = chains[chaincount - 1];
  if (depth != chain.depth + 1 || operands[depth - 1].record != nullptr) return false;
  variable* element = storeaccess::element(*chain.current, operands[depth - 1].number);
  if (element == nullptr) return false;
  --chaincount;
  popoperands(1);
  return pushvalue(element);
}

// "]" of an assignment's target with a number as the index into a list: the element becomes
// the target. False: the general way selects it (and reports what is wrong).
inline bool runner::targetindex() {
  variable* list = aim.slot;
  if (depth < 1 || operands[depth - 1].record != nullptr) return false;
  variable* element = storeaccess::element(*list, operands[depth - 1].number);
  if (element == nullptr) return false;
  popoperands(1);
  select(aim, list, element, true);
  return true;
}

// A variable's value onto the operands: a number where its site remembers it, as the double
// alone; anything else as its site finds it.
inline emitresult compiledlines::sitevalue(site& s) {
  variable* value = remembered(s);
  if (value != nullptr && storeaccess::plainnumber(*value) && depth < slots) {
    operands[depth++] = {storeaccess::numberof(*value), nullptr};
    return emitted;
  }
  return compiledvariable(s);
}

// A quick operand: the number of `value`, or a miss when it is none.
inline emitresult runner::quickpush(variable const* value, quicknumbers& numbers) {
  if (value == nullptr || !storeaccess::plainnumber(*value)) return missed;
  numbers.push(storeaccess::numberof(*value));
  return emitted;
}

// `number` is written over the number in `slot`; the statement is over.
inline emitresult runner::quickstore(variable* slot, double number) {
  if (slot == nullptr || !storeaccess::isnumber(*slot)) return missed;
  storeaccess::setnumber(*slot, number);
  nextline = cmdindex + 1;
  return emitted;
}

// The number on top into the element at the index below it of the list of the site.
inline emitresult runner::quickstoreelement(compiledline& line, instruction const& in,
                                            quicknumbers& numbers) {
  variable* list = remembered(line.sites[in.site]);
  double number = numbers.pop();
  double index = numbers.pop();
  return quickstore(list != nullptr ? storeaccess::element(*list, index) : nullptr, number);
}

// The element that `count` indices reach from `list`, one level of lists each; null when a
// level is no list or an index is outside it (the general instructions decide then).
inline variable* runner::quickreach(variable* list, double const* index, int count) {
  for (int level = 0; level < count && list != nullptr; ++level)
    list = storeaccess::element(*list, index[level]);
  return list;
}

// The `second` indices on top give way to the number they reach from the list of the site.
inline emitresult runner::quickelements(compiledline& line, instruction const& in,
                                        quicknumbers& numbers) {
  numbers.top -= in.second;
  variable const* value =
      quickreach(remembered(line.sites[in.site]), numbers.value + numbers.top, in.second);
  return quickpush(value, numbers);
}

// The number on top into the element that the `second` indices below it reach.
inline emitresult runner::quickstoreelements(compiledline& line, instruction const& in,
                                             quicknumbers& numbers) {
  double number = numbers.pop();
  numbers.top -= in.second;
  variable* list = remembered(line.sites[in.site]);
  return quickstore(quickreach(list, numbers.value + numbers.top, in.second), number);
}

// The index on top becomes the number at that index of the list of the instruction's site.
inline emitresult runner::quickelement(compiledline& line, instruction const& in,
                                       quicknumbers& numbers) {
  variable* list = remembered(line.sites[in.site]);
  variable const* value = list != nullptr ? storeaccess::element(*list, numbers.last()) : nullptr;
  if (value == nullptr || !storeaccess::plainnumber(*value)) return missed;
  numbers.last() = storeaccess::numberof(*value);
  return emitted;
}

// The `count` numbers on top give way to the value of the function's numbers-only form.
inline emitresult runner::quickcall(site const& callee, int count, quicknumbers& numbers) {
  numbers.top -= count;
  double value;
  if (callee.numeric == nullptr || !callee.numeric(numbers.value + numbers.top, count, &value))
    return missed;
  numbers.push(value);
  return emitted;
}

// "next" of a counting loop whose variable is where it was set last: counted in place; of for
// each, see eachloop. False: the general way runs it (another block, a counter that cannot
// advance, a variable gone). Kept here, inline, for the statement loop.
inline bool runner::countloop(bool general) {
  if (ctrltop <= 0 || ctrlsize <= 0) return false;
  ctrlitem& item = ctrlstack[ctrltop - 1];
  if (item.kind != fortoblock || item.counter == nullptr || globals == nullptr ||
      storeaccess::generation(*globals) != item.countergeneration ||
      !storeaccess::isnumber(*item.counter))
    return item.kind == foreachblock && globals != nullptr && eachloop(item, general);
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

// The block statements of the quick tier: they only move on the control stack (`condition`:
// the number of if, until and while).
inline emitresult runner::quickblock(instruction const& in, double condition) {
  int next = -1;
  int open = ctrltop > 0 ? ctrlstack[ctrltop - 1].kind : 0;
  switch (in.code) {
  case op_qif:
    if (ctrlsize <= 0 || ctrltop >= ctrlsize || ctrlstack == nullptr) return missed;
    next = execute_if(condition != 0);
    break;
  case op_quntil:
  case op_qwhile:
    // The block stays open while the loop goes on, and goes once it ends.
    if (open != (in.code == op_quntil ? repeatblock : doblock)) return missed;
    if ((in.code == op_quntil) == (condition != 0)) {
      --ctrltop;
      next = cmdindex + 1;
    } else {
      next = ctrlstack[ctrltop - 1].target;
    }
    break;
  case op_qnext:
    return countloop(false) ? emitted : missed;
  case op_qend:
    if (open != ifblock) return missed;
    --ctrltop;
    next = cmdindex + 1;
    break;
  case op_qelse:
    if (open != ifblock) return missed;
    next = ctrlstack[--ctrltop].target;
    break;
  default: // op_qrepeat, op_qdo
    if (ctrlsize <= 0 || ctrltop >= ctrlsize || ctrlstack == nullptr) return missed;
    pushblock(in.code == op_qrepeat ? repeatblock : doblock, cmdindex + 1);
    next = cmdindex + 1;
    break;
  }
  nextline = next;
  return emitted;
}

// What one instruction does: the dispatch of the loops below. `line`: the compiled line whose
// instruction it is (null: the reference way's); `next`: the instruction after it, when known;
// `numbers`: what the quick tier holds (null outside it).
template <opcodetier tier>
[[gnu::always_inline]] inline emitresult runner::execute(instruction const& in, compiledline* line,
                                                         instruction const* next,
                                                         quicknumbers* numbers) {
  site* sites = line != nullptr ? line->sites : nullptr;
  // Each loop runs the instructions of one tier: the other tier's cases drop out of its copy.
  // (The quick tier's instructions close the table.)
  if (tier == quicktier ? in.code < op_qnumber : in.code >= op_qnumber) __builtin_unreachable();
  if (in.code >= std::size(opcodes)) __builtin_unreachable(); // no other instruction is made
  switch (in.code) {
  // --- operands and operators ---
  case op_number:
    return pushnumber(in.number) ? emitted : failed;
  case op_text:
    return pushtext(in.text) ? emitted : failed;
  case op_negate:
    negate();
    return emitted;
  case op_variable:
    return sites ? sitevalue(sites[in.site]) : namevalue(in.text);
  case op_chainbase:
    return openchainat(sites ? sitevariable(sites[in.site], nullptr) : find(in.text)) ? emitted
                                                                                      : failed;
  case op_member:
    if (sites && !(in.flag & memberbefore)) return compiledmember(in, sites[in.site]);
    return selector(in) ? emitted : failed;
  case op_indexopen:
    return selector(in) ? emitted : failed;
  case op_indexclose:
    if (sites && in.number == 0 && in.flag == selecttarget && targetindex()) return emitted;
    return selector(in) ? emitted : failed;
  case op_chainend:
    return closechain() ? emitted : failed;
  case op_listopen:
    return openliteral() ? emitted : failed;
  case op_element:
    return addelement(in.flag != 0, in.text) ? emitted : failed;
  case op_listclose:
    return closeliteral() ? emitted : failed;
  case op_callopen:
    return sites ? compiledcall(sites[in.site]) : namedcall(in.text);
  case op_argument:
    return callargument(in.text) ? emitted : failed;
  case op_callclose:
    if (!callclose()) return failed;
    if (novalue && next != nullptr && lacksvalue(next->code)) return failed;
    return emitted;
  case op_logic:
    return logic(static_cast<tokentype>(in.flag)) ? emitted : failed;
  case op_compare:
    if (sites && twonumbers()) {
      operands[depth - 2].number = holds(static_cast<tokentype>(in.flag),
                                         operands[depth - 2].number, operands[depth - 1].number);
      --depth;
      return emitted;
    }
    return compare(static_cast<tokentype>(in.flag)) ? emitted : failed;
  case op_add:
  case op_subtract:
    if (sites && fastarithmetic(in.code)) return emitted;
    return combine(in.code == op_add, in.flag == addlast) ? emitted : failed;
  case op_multiply:
    if (sites && fastarithmetic(in.code)) return emitted;
    return arithmetic(in.code) ? emitted : failed;
  case op_divide:
    return arithmetic(in.code) ? emitted : failed;
  case op_remainder:
    // A divisor that truncates to zero goes the general way, which reports it.
    if (sites && twonumbers() &&
        remainderof(operands[depth - 2].number, operands[depth - 1].number,
                    &operands[depth - 2].number)) {
      --depth;
      return emitted;
    }
    return arithmetic(in.code) ? emitted : failed;
  case op_fail:
    return fail(in);

  // --- statements ---
  case op_target:
    if (sites && !(in.flag & targetcommand)) return compiledtarget(in, sites[in.site]);
    return readtarget(in);
  case op_assign:
    if (in.flag & targetcommand) return assigncommand();
    if (sites && fastassign()) return emitted;
    return assignment();
  case op_reread:
    aim = target{};
    resetoperands();
    return emitted;
  case op_discard:
  case op_empty:
    return ended(cmdindex + 1);
  case op_context:
    context.text = in.text;
    context.fatal = (in.flag & failstatement) != 0;
    context.depth = depth;
    if (aim.slot != nullptr) beginrightside();
    return emitted;
  case op_numeric:
    // An expression that left no value (a call of a function that pushes none) is no number,
    // whatever lies below it.
    if (depth > context.depth && isnumber(0)) return emitted;
    error(in.text);
    return ended(-1);
  case op_opening:
    return opening(in.text) ? emitted : ended(-1);
  case op_closing:
    return closeloop(in.text) ? emitted : ended(-1);
  case op_next:
    if (sites && countloop(true)) return emitted;
    return ended(blockstatement(in));
  case op_if:
  case op_else:
  case op_end:
  case op_forto:
  case op_foreach:
  case op_try:
  case op_catch:
  case op_repeat:
  case op_until:
  case op_do:
  case op_while:
  case op_parallel:
    return ended(blockstatement(in));

  // --- the quick tier: numbers only, names at their sites, nothing changed before the end ---
  case op_qnumber:
    numbers->push(in.number);
    return emitted;
  case op_qvariable:
    return quickpush(remembered(sites[in.site]), *numbers);
  case op_qelement:
    return quickelement(*line, in, *numbers);
  case op_qelements:
    return quickelements(*line, in, *numbers);
  case op_qmember:
    return quickpush(quickfindmember(*line, in.site, in.second), *numbers);
  case op_qcall:
    return quickcall(line->sites[in.site], in.second, *numbers);
  case op_qnegate:
    numbers->last() = -numbers->last();
    return emitted;
  case op_qadd: {
    double right = numbers->pop();
    numbers->last() += right;
    return emitted;
  }
  case op_qsubtract: {
    double right = numbers->pop();
    numbers->last() -= right;
    return emitted;
  }
  case op_qmultiply: {
    double right = numbers->pop();
    numbers->last() *= right;
    return emitted;
  }
  case op_qdivide: {
    double right = numbers->pop();
    if (right == 0) return missed; // the general instructions report it
    numbers->last() /= right;
    return emitted;
  }
  case op_qremainder: {
    double right = numbers->pop();
    return remainderof(numbers->last(), right, &numbers->last()) ? emitted : missed;
  }
  case op_qcompare: {
    double right = numbers->pop();
    numbers->last() = holds(static_cast<tokentype>(in.flag), numbers->last(), right);
    return emitted;
  }
  case op_qassign:
    return quickstore(remembered(sites[in.site]), numbers->last());
  case op_qassignelement:
    return quickstoreelement(*line, in, *numbers);
  case op_qassignelements:
    return quickstoreelements(*line, in, *numbers);
  case op_qassignmember:
    return quickstore(quickfindmember(*line, in.site, in.second), numbers->last());
  case op_qnext:
    return countloop(false) ? emitted : missed;
  case op_qif:
  case op_quntil:
  case op_qwhile:
  case op_qend:
  case op_qelse:
  case op_qrepeat:
  case op_qdo:
    return quickblock(in, numbers->top > 0 ? numbers->last() : 0);
  }
  return failed;
}

// Runs `count` instructions from `code`; the result of the last one run. With `line`, they are
// the general instructions of that compiled line: a name is taken from its site, and a line
// whose names changed kind during a call goes on in the line compiled again from there
// (installed in the book at `index` once the statement is over). Without, they are the
// reference way's, handed over one at a time.
emitresult runner::exec(instruction const* code, int count, compiledline* line, int index) {
  compiledline* running = line;
  if (running != nullptr) ++running->running;
  emitresult result = emitted;
  for (int pc = 0; pc < count; ++pc) {
    instruction const& in = code[pc];
    instruction const* next = pc + 1 < count ? &code[pc + 1] : nullptr;
    // "]" that ends an operand chain, its index a number: the element is the chain's value.
    if (in.code == op_indexclose && running != nullptr && in.flag == 0 && in.number == 0 &&
        next != nullptr && next->code == op_chainend && lastindex()) {
      ++pc;
      continue;
    }
    // `text + "characters"`: the literal's characters go straight after the text.
    if (in.code == op_text && next != nullptr && next->code == op_add && appendliteral(in.text)) {
      ++pc;
      continue;
    }
    // "{x} +" that ends `l = l + {x}`: x goes onto the stored list l without the literal.
    if (in.code == op_element && in.flag == 0 && pc + 2 < count &&
        code[pc + 1].code == op_listclose && code[pc + 2].code == op_add &&
        code[pc + 2].flag == addlast && (result = appendsingle()) != missed) {
      if (result == failed) {
        inexpression = true;
        break;
      }
      pc += 2;
      continue;
    }
    result = execute<generaltier>(in, running, next, nullptr);
    if (result == failed) {
      if (inexpressionop(in.code)) inexpression = true;
      break;
    }
    if (finished) break;
    if (result == absent && running != nullptr) {
      pc = running->reread - 1;
      continue;
    }
    if (in.code == op_callclose && running != nullptr && !stillvalid(*running)) {
      compiledline* again = resumeafter(*running, pc, cmds[cmdindex]);
      if (again != running) {
        --running->running;
        if (running != line && running->running == 0) releaseline(running);
        running = again;
        ++running->running;
        code = running->code;
        count = running->count;
      }
    }
  }
  if (running != nullptr) {
    --running->running;
    if (running != line) {
      if (book != nullptr)
        book->install(index, running);
      else if (running->running == 0)
        releaseline(running);
    }
  }
  return result;
}

// Runs the quick tier of `line` (see opcodes.h): the next line (or -1 after a message), or
// quickmiss when a guard failed and the general instructions must run the statement; nothing
// has changed then.
[[gnu::always_inline]] inline int runner::runquick(compiledline& line) {
  double held[maxquickdepth];
  quicknumbers numbers{held};
  instruction const* end = line.quick + line.quickcount;
  for (instruction const* in = line.quick; in != end; ++in) {
    if (execute<quicktier>(*in, &line, nullptr, &numbers) != missed) continue;
    ++line.misses;
    return quickmiss;
  }
  if (line.misses != 0) line.misses = 0;
  return nextline;
}

// Runs compiled lines, `line` first, one statement after the other, as long as the lines that
// come are compiled and no second thread is in the family. A line with a quick form runs that
// (it holds no storage, so it is no statement that storage must wait for) until it has had to
// give the statement to the general way too often in a row. False: the run ends. The operand
// stack is emptied before a statement unless it has stayed empty since it was last: only the
// quick tier ran since, without a failure, a full check or a line compiled in between.
bool runner::runcompiledlines(compiledline* line) {
  family& f = *shared;
  bool untouched = false;
  for (;;) {
    if (!line->empty && !counted()) {
      untouched = false;
      if (!recheck()) return false;
    }
    if (!untouched) resetoperands();
    int next = quickmiss;
    if (line->quick != nullptr && line->misses < quickgiveup) next = runquick(*line);
    untouched = next >= 0;
    if (next == quickmiss) [[unlikely]] {
      untouched = line->empty;
      if (line->empty) {
        next = cmdindex + 1; // a blank or comment line: nothing to run, nothing left on the stack
      } else {
        beginstatement(shared->lock, thread);
        beginline();
        exec(line->code, line->count, line, cmdindex + bookoffset);
        endstatement(shared, thread);
        next = finishline();
      }
    }
    if (!continueat(next)) return false;
    if (cmdindex >= numcmds || f.lock.parallels.load(std::memory_order_relaxed) > 0) return true;
    // The book is there and fast paths are on: that is how this run got here.
    compiledline* kept = book->line(cmdindex + bookoffset);
    if (kept == nullptr || !stillvalid(*kept)) {
      untouched = false;
      kept = compiledfor(cmdindex);
    }
    line = kept;
    if (line == nullptr) return true;
  }
}

} // namespace vesk
