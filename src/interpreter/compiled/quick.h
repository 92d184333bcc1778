// quick.h - the quick tier of a compiled line (opcodes.h): made from the line's instructions
// when its statement works on numbers alone (an assignment of a number to a variable, an
// element or a member that holds one, a condition of if, until or while, or a block statement
// that only moves on the control stack). It runs without the statement's bookkeeping; whenever
// what it finds is not a number (or a name does not find what its site remembers) it gives the
// statement to the line's general instructions before it has changed anything.
#pragma once

namespace vesk {

struct compiledline;

constexpr int maxquickdepth = 16; // numbers the quick tier holds at once
constexpr int maxquickops = 32;

// The numbers a quick tier holds while it runs: on the native stack of its run, apart from the
// machine's operand stack, which the statement's general instructions find as it was. (The
// array lies apart from the count, which can then stay in a register while functions read the
// array.)
struct quicknumbers {
  double* value; // maxquickdepth of them
  int top = 0;
  void push(double number) { value[top++] = number; }
  double pop() { return value[--top]; }
  double& last() { return value[top - 1]; }
};

// Gives `line` its quick tier (allocated with malloc); false, and none, when its statement has
// none or there is no memory.
bool makequick(compiledline& line);

} // namespace vesk
