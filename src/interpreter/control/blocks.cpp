// blocks.cpp - the block statements other than loops over a counter or a list: if / else /
// end, try / catch / end, repeat / until and do / while, and the checks that every block
// statement makes before it opens or closes a block on the control stack.
#include <cstdlib>

#include "family.h"
#include "runner.h"

namespace vesk {

// The block statements; each returns the next line, or -1 after a message.
int runner::blockstatement(instruction const& in) {
  switch (in.code) {
  case op_if: {
    bool holds = numberat(0) != 0; // a NaN counts as true
    popoperands(1);
    return execute_if(holds);
  }
  case op_else:
    return execute_else();
  case op_end:
    return execute_end();
  case op_forto: {
    double start = numberat(1), limit = numberat(0);
    popoperands(2);
    return startforto(in.text, start, limit);
  }
  case op_foreach:
    return startforeach(in.text);
  case op_next:
    return execute_next();
  case op_try:
    return execute_try();
  case op_catch:
    return execute_catch();
  case op_repeat:
    pushblock(repeatblock, cmdindex + 1);
    return cmdindex + 1;
  case op_do:
    pushblock(doblock, cmdindex + 1);
    return cmdindex + 1;
  case op_until:
  case op_while: {
    bool holds = numberat(0) != 0;
    popoperands(1);
    return in.code == op_until ? execute_until(holds) : execute_while(holds);
  }
  case op_parallel:
    return execute_parallel();
  default:
    return -1;
  }
}

// A block may open only during a run of lines and while the control stack has room.
bool runner::opening(char const* keyword) {
  if (ctrlsize <= 0) {
    error("keyword '%s' not allowed", keyword);
    return false;
  }
  if (ctrltop >= ctrlsize) {
    error(msg_blocksfull);
    return false;
  }
  if (ctrlstack == nullptr)
    ctrlstack = static_cast<ctrlitem*>(malloc(sizeof(ctrlitem) * static_cast<size_t>(ctrlsize)));
  if (ctrlstack != nullptr) return true;
  error(msg_memory);
  return false;
}

ctrlitem* runner::pushblock(int kind, int target) {
  ctrlitem& item = ctrlstack[ctrltop++];
  item = ctrlitem{};
  item.kind = kind;
  item.target = target;
  item.savedlog = log;
  return &item;
}

// A block may close or divide only during a run of lines and when a block is open.
bool runner::closing(char const* keyword, char const* unopened) {
  if (ctrlsize <= 0) {
    error("keyword '%s' not allowed", keyword);
    return false;
  }
  if (ctrltop <= 0) {
    error(unopened);
    return false;
  }
  return true;
}

int runner::execute_if(bool holds) {
  int a = cmdindex;
  int s;
  int e = find_ifparts(a + 1, &s);
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
int runner::execute_else() {
  char const unopened[] = "'else' without opening 'if'";
  if (!closing("else", unopened)) return -1;
  if (ctrlstack[ctrltop - 1].kind != ifblock) {
    error(unopened);
    return -1;
  }
  return ctrlstack[--ctrltop].target;
}

int runner::execute_end() {
  char const unmatched[] = "'end' without matching 'if' or 'try'";
  if (!closing("end", unmatched)) return -1;
  ctrlitem item = ctrlstack[--ctrltop];
  if (item.kind == ifblock) return cmdindex + 1;
  if (item.kind == tryblock) {
    log = item.savedlog;
    return cmdindex + 1;
  }
  error(unmatched);
  if (item.kind == fortoblock || item.kind == foreachblock) error("'next' missing?");
  return -1;
}

// While the body runs, the log function collects error lines into the family's queue instead
// of reporting them; a failing statement continues in the catch part (or after end).
int runner::execute_try() {
  int a = cmdindex;
  int e = find_end(a + 1), c = find_catch(a + 1);
  if (c >= e) c = -1;
  if (e < 0) {
    error("'try' without matching 'end'");
    return -1;
  }
  ctrlitem* item = pushblock(tryblock, e + 1);
  item->catchtarget = c + 1;
  log = trylog;
  clearerrors(shared->errors);
  return a + 1;
}

// Reached when the body ran to its end without failure: the catch part is skipped.
int runner::execute_catch() {
  char const unopened[] = "no opening 'try'";
  if (!closing("catch", unopened)) return -1;
  ctrlitem item = ctrlstack[--ctrltop];
  if (item.kind != tryblock) {
    error(unopened);
    return -1;
  }
  log = item.savedlog;
  return item.target;
}

// until and while take their block off the control stack before their condition is read.
bool runner::closeloop(char const* keyword) {
  bool isuntil = keyword[0] == 'u';
  if (!closing(keyword, isuntil ? "no opening 'repeat'" : "no opening 'do'")) return false;
  closed = ctrlstack[--ctrltop];
  if (closed.kind == (isuntil ? repeatblock : doblock)) return true;
  error(isuntil ? "'until' without 'repeat'" : "'while' without 'do'");
  return false;
}

int runner::execute_until(bool done) {
  if (done) return cmdindex + 1;
  ctrlstack[ctrltop++] = closed;
  return closed.target;
}

int runner::execute_while(bool again) {
  if (!again) return cmdindex + 1;
  ctrlstack[ctrltop++] = closed;
  return closed.target;
}

} // namespace vesk
