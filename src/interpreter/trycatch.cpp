// trycatch.cpp - try ... [catch ...] end: while the body runs, the log function collects
// error lines into the error queue instead of reporting them; a failing statement continues in
// the catch part (or after end), which runs with the log function of before the try.
#include "family.h"
#include "internal.h"

namespace vesk {

int interpreter::execute_try(int a) {
  if (!opening("try")) return -1;
  int e = find_end(a + 1), c = find_catch(a + 1);
  if (c >= e) c = -1;
  if (e < 0) {
    error("'try' without matching 'end'");
    return -1;
  }
  ctrlitem* item = pushblock(tryblock, e + 1);
  item->catchtarget = c + 1;
  logfunc = trylog;
  clearerrors(shared->errors);
  return a + 1;
}

// Reached when the body ran to its end without failure: the catch part is skipped.
int interpreter::execute_catch(int) {
  char const unopened[] = "no opening 'try'";
  if (!closing("catch", unopened)) return -1;
  ctrlitem item = ctrlstack[--ctrltop];
  if (item.kind != tryblock) {
    error(unopened);
    return -1;
  }
  logfunc = item.savedlog;
  return item.target;
}

} // namespace vesk
