// operands.cpp - putting operands on the interpreter's operand stack and taking temporary
// lists from its arena. A full stack or an exhausted arena fails the expression with a
// message instead of computing with lost operands.
#include <new>

#include "interpreter/internal.h"
#include "frontend/temporaries.h"

namespace vesk {

bool interpreter::pushvalue(variable* value) {
  if (opstack.push(value) != nullptr) return true;
  error(msg_stackfull);
  return false;
}

bool interpreter::pushnumber(double number) {
  if (opstack.push(number) != nullptr) return true;
  error(msg_stackfull);
  return false;
}

bool interpreter::pushstring(char const* text) {
  if (opstack.push(text) != nullptr) return true;
  error(msg_stackfull);
  return false;
}

// A new empty list or named list whose record, blocks and index are temporaries of the
// statement; it lives until the operands are next reset. Null (after a message) when the
// statement has used up what it may take.
variable* interpreter::newlist(vartype type) {
  void* memory = temps->alloc(sizeof(variable), type == listtype ? "list" : "namedlist");
  if (memory == nullptr) {
    error(msg_arenafull);
    return nullptr;
  }
  return new (memory) variable(type, temps);
}

// Empties the operand stack and gives back every temporary list of the last statement, with
// what was stored into them.
void interpreter::resetoperands() {
  opstack.reset();
  retireoperands();
  temps->reset();
}

} // namespace vesk
