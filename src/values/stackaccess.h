// stackaccess.h - internal access to an operand stack's arena for the layers that build
// temporary lists in it (and for tests). The arena allocater is null when the stack could not
// get one; callers treat that like an exhausted arena.
#pragma once

#include "linearallocater.h"
#include "vesk.h"

namespace vesk {

struct stackaccess {
  static linearallocater* arena(stack const& operands) { return operands.arenaallocater; }
  static int capacity(stack const& operands) { return operands.capacity; }
  static interpreter* owner(stack const& operands) { return operands.owner; }
};

} // namespace vesk
