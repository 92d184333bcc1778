// release.cpp - the walk that gives a value back from the inside out, by cursor (one step per
// element, not per block), over a copy of each record so that no list's own cursor moves. Lists
// nested deeper than the native stack may follow are given back without recursion.
#include "release.h"

#include "valuelimits.h"

namespace vesk {

namespace {

// The first element of `list` that is a list holding elements, or null.
variable* firstwithstorage(variable* list) {
  variable walker = *list;
  for (variable* e = walker.first(); e != nullptr; e = walker.next())
    if ((e->islist() || e->isnamedlist()) && e->count() > 0) return e;
  return nullptr;
}

// Gives back a list nested beyond maxdatadepth levels (a host may build one; no value a script
// stores is that deep): again and again, the first list on the way down whose elements hold no
// storage any more is reset. It takes no native stack and no memory; its time grows with the
// depth for every list, which only such rare values pay.
void releasedeep(variable* value) {
  for (;;) {
    variable* holder = value;
    for (variable* inner = firstwithstorage(holder); inner != nullptr;
         inner = firstwithstorage(holder))
      holder = inner;
    holder->reset();
    if (holder == value) return;
  }
}

void release(variable* value, int depth) {
  if (!value->islist() && !value->isnamedlist()) return;
  if (depth >= maxdatadepth) {
    releasedeep(value);
    return;
  }
  variable walker = *value;
  for (variable* e = walker.first(); e != nullptr; e = walker.next()) release(e, depth + 1);
  value->reset();
}

} // namespace

void releasevalue(variable* value) {
  if (value != nullptr) release(value, 0);
}

} // namespace vesk
