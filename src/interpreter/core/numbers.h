// numbers.h - the operations on two numbers that every way of running a line shares: the
// relations, and the remainder of the operands truncated toward zero.
#pragma once

#include <cmath>

#include "tokenizer.h"

namespace vesk {

// Whether the relation `op` holds between two numbers (a NaN only ever differs).
inline bool holds(tokentype op, double left, double right) {
  switch (op) {
  case eqtoken:
    return left == right;
  case netoken:
    return left != right;
  case gttoken:
    return left > right;
  case getoken:
    return left >= right;
  case lttoken:
    return left < right;
  default:
    return left <= right;
  }
}

// The remainder of the operands truncated toward zero, with the sign of the left one. Whole
// numbers below 2^53 divide as integers; fmod gives the exact remainder of the rest. False:
// the divisor truncates to zero.
inline bool remainderof(double left, double right, double* result) {
  constexpr double exact = 9007199254740992.0; // 2^53
  if (std::fabs(left) < exact && std::fabs(right) < exact) {
    // The conversion truncates toward zero.
    long long divisor = static_cast<long long>(right);
    if (divisor == 0) return false;
    *result = static_cast<double>(static_cast<long long>(left) % divisor); // a zero is +0.0
    return true;
  }
  double dividend = std::trunc(left), divisor = std::trunc(right);
  if (divisor == 0) return false;
  *result = std::fmod(dividend, divisor) + 0.0; // + 0.0: no negative zero
  return true;
}

} // namespace vesk
