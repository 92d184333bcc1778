// release.cpp - the walk that gives a value back from the inside out, by cursor (one step per
// element, not per block), over a copy of each record so that no list's own cursor moves.
#include "release.h"

#include "valuelimits.h"

namespace vesk {

namespace {

void release(variable* value, int depth) {
  if (!value->islist() && !value->isnamedlist()) return;
  if (depth < maxdatadepth) {
    variable walker = *value;
    for (variable* e = walker.first(); e != nullptr; e = walker.next()) release(e, depth + 1);
  }
  value->reset();
}

} // namespace

void releasevalue(variable* value) {
  release(value, 0);
}

} // namespace vesk
