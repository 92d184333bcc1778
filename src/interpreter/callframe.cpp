// callframe.cpp - the parameters a call's script assigned, in a small array searched from the
// end (a script assigns few of its parameters, the latest most often).
#include "callframe.h"

#include <cstdlib>

#include "family.h"

namespace vesk {

callframe::~callframe() { free(owned); }

bool callframe::owns(variable* slot) const {
  for (int i = ownedcount - 1; i >= 0; --i)
    if (owned[i] == slot) return true;
  return false;
}

bool callframe::own(variable* slot) {
  if (ownedcount == ownedcapacity) {
    int larger = ownedcapacity ? ownedcapacity * 2 : 8;
    void* grown = realloc(owned, sizeof(variable*) * static_cast<size_t>(larger));
    if (grown == nullptr) return false;
    owned = static_cast<variable**>(grown);
    ownedcapacity = larger;
  }
  owned[ownedcount++] = slot;
  return true;
}

void callframe::release(family* shared) {
  for (int i = 0; i < ownedcount; ++i) vesk::retire(shared, *owned[i]);
  ownedcount = 0;
}

} // namespace vesk
