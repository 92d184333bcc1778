// blocks.cpp - the block statements other than loops over a counter or a list: if / else /
// end, try / catch / end, repeat / until and do / while, and the checks that every block
// statement makes before it opens or closes a block on the control stack.
#include <cstdlib>

#include "engine.h"
#include "family.h"

namespace vesk {

// A block may open only during a run of lines and while the control stack has room.
bool engine::opening(char const* keyword) {
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

ctrlitem* engine::pushblock(int kind, int target) {
  ctrlitem& item = ctrlstack[ctrltop++];
  item = ctrlitem{};
  item.kind = kind;
  item.target = target;
  item.savedlog = log;
  return &item;
}

// A block may close or divide only during a run of lines and when a block is open.
bool engine::closing(char const* keyword, char const* unopened) {
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

int engine::execute_if(bool holds) {
  int a = cmdindex;
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
int engine::execute_else() {
  char const unopened[] = "'else' without opening 'if'";
  if (!closing("else", unopened)) return -1;
  if (ctrlstack[ctrltop - 1].kind != ifblock) {
    error(unopened);
    return -1;
  }
  return ctrlstack[--ctrltop].target;
}

int engine::execute_end() {
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
int engine::execute_try() {
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
int engine::execute_catch() {
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
bool engine::closeloop(char const* keyword) {
  bool isuntil = keyword[0] == 'u';
  if (!closing(keyword, isuntil ? "no opening 'repeat'" : "no opening 'do'")) return false;
  closed = ctrlstack[--ctrltop];
  if (closed.kind == (isuntil ? repeatblock : doblock)) return true;
  error(isuntil ? "'until' without 'repeat'" : "'while' without 'do'");
  return false;
}

int engine::execute_until(bool done) {
  if (done) return cmdindex + 1;
  ctrlstack[ctrltop++] = closed;
  return closed.target;
}

int engine::execute_while(bool again) {
  if (!again) return cmdindex + 1;
  ctrlstack[ctrltop++] = closed;
  return closed.target;
}

} // namespace vesk
