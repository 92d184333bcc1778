// conditionals.cpp - if CONDITION ... [else ...] end, and the end statement, which closes if
// and try blocks. The false branch jumps to the line after else or after end.
#include "internal.h"

namespace vesk {

int interpreter::execute_if(int a) {
  if (!opening("if")) return -1;
  bool holds = false;
  if (!condition("invalid expression following 'if'", "expression following 'if' is not numeric",
                 &holds))
    return -1;
  int e = find_end(a + 1), s = find_else(a + 1);
  if (e < 0) {
    error("'if' without matching 'end'");
    return -1;
  }
  if (holds) {
    pushblock(ifblock, e + 1);
    return a + 1;
  }
  if (s >= 0 && s < e) {
    pushblock(ifblock, e + 1);
    return s + 1;
  }
  return e + 1;
}

// Reached when the true branch has run to its end: skip the else branch.
int interpreter::execute_else(int) {
  char const unopened[] = "'else' without opening 'if'";
  if (!closing("else", unopened)) return -1;
  if (ctrlstack[ctrltop - 1].kind != ifblock) {
    error(unopened);
    return -1;
  }
  return ctrlstack[--ctrltop].target;
}

int interpreter::execute_end(int a) {
  char const unmatched[] = "'end' without matching 'if' or 'try'";
  if (!closing("end", unmatched)) return -1;
  ctrlitem item = ctrlstack[--ctrltop];
  if (item.kind == ifblock) return a + 1;
  if (item.kind == tryblock) {
    logfunc = item.savedlog;
    return a + 1;
  }
  error(unmatched);
  if (item.kind == fortoblock || item.kind == foreachblock) error("'next' missing?");
  return -1;
}

} // namespace vesk
