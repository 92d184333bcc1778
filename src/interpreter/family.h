// family.h - the state that an interpreter shares with the interpreters nested in it (script
// calls, parallel parts): storage given back by nested runs, which is released only when the
// outermost interpreter starts its next statement, since statements of callers still in
// progress may hold references into it.
#pragma once

#include "vesk.h"

namespace vesk {

struct family {
  variable* graveyard; // old values of overwritten variables, awaiting release
  int buried;
  int capacity;
};

family* newfamily();
void deletefamily(family* shared);
// Releases the storage of `value` now (outermost interpreter) or at the next statement of the
// outermost interpreter (nested ones). The record itself is left as it is.
void giveback(family* shared, variable* value, bool now);
// Releases everything given back so far; called between statements of the outermost one.
void releaseburied(family* shared);

} // namespace vesk
