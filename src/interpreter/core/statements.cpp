// statements.cpp - the instructions that make a statement of the expressions before them: the
// target of an assignment and the assignment itself, the end of a statement, and the messages
// a failing expression adds.
#include <cstring>

#include "family.h"
#include "machine.h"
#include "storeaccess.h"

namespace vesk {

namespace {

constexpr char msg_nothingtostore[] = "nothing to store (expression did not produce a result)";

} // namespace

// A handler's answer: the next line, or -1 after it has reported why the run ends.
emitresult machine::ended(int next) {
  if (next < 0) {
    context.fatal = true;
    context.text = "";
    return failed;
  }
  finished = true;
  nextline = next;
  return emitted;
}

// The target of an assignment: the variable named, found wherever find() finds it. A missing
// one is made only when "=" follows its name at once and there is a store; otherwise the line
// is an expression (absent). A single command line only checks that it may assign.
emitresult machine::readtarget(instruction const& in) {
  aim = target{};
  aim.name = in.text;
  if (in.flag & targetcommand) {
    if (globals != nullptr) return emitted;
    error("Variablenzuweisung nicht erlaubt (keine globalen Variablen gesetzt)");
    return ended(-1);
  }
  if (locate(in.text, aim)) {
    aim.plain = (in.flag & targetselectors) == 0;
    return emitted;
  }
  if (!(in.flag & targetcreate) || globals == nullptr) return absent;
  aim.plain = true;
  if (findtarget(in.text, aim)) return emitted;
  return failed; // reported: no memory for the variable
}

// The right side of an assignment begins: `l = l + list` may extend the stored list in place,
// and a call on the right side may delete or replace the target meanwhile.
void machine::beginrightside() {
  bool islist = aim.slot->islist() || aim.slot->isnamedlist();
  appendtarget = aim.kind == variableslot && aim.plain && islist ? aim.slot : nullptr;
  appendfailed = false;
  callsbefore = shared->calls;
  storebefore = storeaccess::generation(*globals);
  tickbefore = shared->lock.clock;
}

emitresult machine::assignment() {
  bool extended = appendtarget != nullptr && depth > 0 && operands[depth - 1].record != nullptr &&
                  storeaccess::samelist(*operands[depth - 1].record, *appendtarget);
  appendtarget = nullptr;
  context.text = ""; // failures from here on are the assignment's own
  if (depth == 0) {
    error(msg_nothingtostore);
    return failed;
  }
  if (extended) {
    // A new value starts without flags and user data, and so does an extended one.
    *aim.slot = variable(aim.slot, nullptr);
  } else {
    if (targetmoved(aim)) return failed;
    operand const& value = operands[depth - 1];
    bool ok = value.record == nullptr ? assignnumber(aim, value.number) : assign(aim, value.record);
    if (!ok) return failed;
  }
  popoperands(1);
  return ended(cmdindex + 1);
}

// A single command line's assignment: the target is looked up (or made) after its value.
emitresult machine::assigncommand() {
  if (depth == 0) {
    error(msg_nothingtostore);
    return ended(-1);
  }
  variable scratch;
  if (!findtarget(aim.name, aim) || !assign(aim, valueat(0, scratch))) return ended(-1);
  popoperands(1);
  return ended(cmdindex + 1);
}

} // namespace vesk
