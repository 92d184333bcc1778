// quick.h - the quick form of a compiled line whose statement works on numbers alone: an
// assignment of a number to a variable, an element or a member that holds one, a condition of
// if, until or while, or a block statement that only moves on the control stack. It runs
// without the operand stack and without the statement's bookkeeping; whenever what it finds
// is not a number (or a name does not find what its site remembers) it gives the statement to
// the general way of running compiled lines before it has changed anything.
#pragma once

#include "code.h"

namespace vesk {

struct compiledline;

enum quickcode : unsigned char {
  q_number,   // push `number`
  q_variable, // push the number of the variable of site `site`
  q_element,  // the index on top becomes the number at that index of the list of site `site`
  q_member,   // push the number of member site `member` of the named list of site `site`
  q_call,     // the `count` numbers on top become the value of the function of site `site`
  q_negate,
  q_add,
  q_subtract,
  q_multiply,
  q_divide,
  q_remainder,
  q_compare, // `relation`: the comparison's token type
};

struct quickop {
  quickcode code;
  unsigned char relation = 0;
  unsigned short site = 0;
  unsigned short member = 0;
  unsigned short count = 0;
  double number = 0;
};

enum quickshape : unsigned char {
  quickassign,  // target: the variable of site `target`
  quickelement, // target: the element at the index ops[0, indexend) computes
  quickmember,  // target: member site `member` of the named list of site `target`
  quickif,
  quickuntil,
  quickwhile,
  quicknext,
  quickend,
  quickelse,
  quickrepeat,
  quickdo,
};

constexpr int maxquickops = 32;
constexpr int maxquickdepth = 16;

struct quickform {
  quickshape shape;
  unsigned short target = 0, member = 0;
  int indexend = 0; // ops before it compute a target's index
  int count = 0;
  int misses = 0; // runs given to the general way one after the other
  quickop ops[maxquickops];
};

// The quick form of `line` (allocated with malloc), or null when its statement has none.
quickform* makequick(compiledline const& line);

} // namespace vesk
