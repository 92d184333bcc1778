// machine.cpp - the machine's life and its operand stack: numbers live there as doubles;
// every other value (and a number that carries flags or user data from its variable) as a
// record in a slot of the stack, which a function given the stack may read. Also what a few
// instructions do that is more than a line of the dispatch.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "family.h"
#include "machine.h"
#include "release.h"
#include "stackaccess.h"
#include "storeaccess.h"
#include "temporaries.h"

namespace vesk {

void droplog(int, char const*) {}

// A machine's start: its operand stack, its registers and the temporaries of its statements.
machine::machine(variables* store, vesk::logfunc logto)
    : opstack(defaultarenasize), log(logto ? logto : droplog), globals(store), temps(nullptr),
      operands(nullptr), slots(0) {
  equip();
}

// Takes what the machine lacks of its operand stack, registers and temporaries; false when
// memory runs out. Without them it has no temporaries, which its users check; a host's engine
// tries again at its next call.
bool machine::equip() {
  if (temps != nullptr) return true;
  if (stackaccess::capacity(opstack) == 0) {
    opstack.~stack();
    new (&opstack) stack(defaultarenasize);
  }
  slots = stackaccess::capacity(opstack);
  if (operands == nullptr)
    operands = static_cast<operand*>(malloc(sizeof(operand) * operandcapacity));
  if (slots == 0 || operands == nullptr) return false;
  temps = new (std::nothrow) temporaries(stackaccess::arena(opstack));
  return temps != nullptr;
}

machine::~machine() {
  // Nothing runs any more: what was stored into the last statement's lists goes at once.
  for (int i = 0; temps != nullptr && i < temps->adoptedcount(); ++i) {
    variable adopted = temps->adoptedvalue(i);
    releasevalue(&adopted);
  }
  delete temps;
  free(operands);
  free(chains);
  free(lists);
}

// --- the operand stack ---------------------------------------------------------------------
// Operand i lives in slot i of the operand stack. A number's slot is written only when
// something may read it as a record (materialize, topvalue), and the stack's count is set to
// the operands' count only then too.

bool machine::stackfull() {
  error(msg_stackfull);
  return false;
}

bool machine::pushrecord(variable const* value) {
  if (depth >= slots) return stackfull();
  variable* slot = stackaccess::slot(opstack, depth);
  *slot = *value;
  operands[depth++] = {0.0, slot};
  return true;
}

bool machine::pushtext(char const* text) {
  if (depth >= slots) return stackfull();
  variable* slot = stackaccess::slot(opstack, depth);
  new (slot) variable(text);
  operands[depth++] = {0.0, slot};
  return true;
}

// Pushes the value of a variable: a number without flags or user data as a double, anything
// else as a copy of its record (flags travel with a value into a function's parameters).
bool machine::pushvalue(variable const* value) {
  return storeaccess::plainnumber(*value) ? pushnumber(value->number()) : pushrecord(value);
}

// Writes the records of the numbers on the stack, for a function that may look at it.
void machine::materialize() {
  for (int i = 0; i < depth; ++i) {
    if (operands[i].record != nullptr) continue;
    operands[i].record = stackaccess::slot(opstack, i);
    new (operands[i].record) variable(operands[i].number);
  }
  stackaccess::setcount(opstack, depth);
}

// What a function pushed (above the operands) becomes operands.
void machine::takepushed() {
  int count = opstack.numelements();
  for (; depth < count; ++depth) operands[depth] = {0.0, stackaccess::slot(opstack, depth)};
}

// The record of the value on top, written for a number (null when the stack is empty).
variable* machine::topvalue() {
  stackaccess::setcount(opstack, depth);
  if (depth == 0) return nullptr;
  operand& o = operands[depth - 1];
  if (o.record == nullptr) {
    o.record = stackaccess::slot(opstack, depth - 1);
    new (o.record) variable(o.number);
  }
  return o.record;
}

// The value at position i as a record that the caller may copy: the record itself, or a
// number made into `scratch`. Null when there is none.
variable* machine::valueat(int i, variable& scratch) {
  if (i < 0 || i >= depth) return nullptr;
  operand const& o = operands[depth - 1 - i];
  if (o.record != nullptr) return o.record;
  scratch = variable(o.number);
  return &scratch;
}

// --- what instructions do that is more than a line of the dispatch -------------------------

// A prefix minus: a number on top is negated; anything else stays.
void machine::negate() {
  if (depth == 0) return;
  operand& top = operands[depth - 1];
  if (top.record == nullptr)
    top.number = -top.number;
  else if (top.record->isnumber())
    top = {-top.record->number(), nullptr};
}

// The value of the variable `name`, looked up now; unknown: the expression fails.
emitresult machine::namevalue(char const* name) {
  variable* value = find(name);
  if (value == nullptr) {
    error("unknown element '%s'", name);
    return failed;
  }
  return pushvalue(value) ? emitted : failed;
}

// The parser's failure at this point of the line: its message, and how the statement fails.
emitresult machine::fail(instruction const& in) {
  if (in.flag & failplain)
    log(logerror, in.text);
  else
    error(in.text);
  if (in.flag & failstatement) context.fatal = true;
  if (in.flag & failalone) context.text = "";
  return failed;
}

} // namespace vesk
