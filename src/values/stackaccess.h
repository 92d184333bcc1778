// stackaccess.h - internal access to an operand stack's arena for the layers that build
// temporary lists in it (and for tests). The arena allocater is null when the stack could not
// get one; callers treat that like an exhausted arena.
#pragma once

#include "linearallocater.h"
#include "vesk.h"

namespace vesk {

class machine;

struct stackaccess {
  static linearallocater* arena(stack const& operands) { return operands.arenaallocater; }
  static int capacity(stack const& operands) { return operands.capacity; }
  // The slot at position i from the bottom, and setting how many slots are in use: the
  // interpreter keeps numbers in its own registers and writes their records only when a
  // function may look at the stack.
  static variable* slot(stack const& operands, int i) { return operands.elements + i; }
  static void setcount(stack& operands, int count) { operands.count = count; }
  // The machine of the engine running a function call through the stack. The stack's owner
  // field, typed as the interface's interpreter, carries it; only these two touch it.
  static machine* owner(stack const& operands) {
    return reinterpret_cast<machine*>(operands.owner);
  }
  static void setowner(stack& operands, machine* running) {
    operands.owner = reinterpret_cast<interpreter*>(running);
  }
};

} // namespace vesk
