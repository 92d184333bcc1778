// callframe.cpp - the parameters a call's script assigned, in a small array searched from the
// end (a script assigns few of its parameters, the latest most often).
#include "callframe.h"

#include <atomic>
#include <cstdlib>

#include "family.h"
#include "storeaccess.h"

namespace vesk {

namespace {
std::atomic<unsigned long long> calls{0};
} // namespace

// The mask of the parameters' names; all bits when their list lays further lists over it,
// whose names it cannot know.
callframe::callframe(variable* list, bool gives)
    : params(list), givesback(gives), serial(calls.fetch_add(1, std::memory_order_relaxed) + 1),
      mask(0) {
  if (params == nullptr) return;
  if (storeaccess::overlay(*params) != nullptr) {
    mask = ~0ull;
    return;
  }
  variable walker = *params;
  char* name = nullptr;
  for (variable* p = walker.first(&name); p != nullptr; p = walker.next(&name))
    mask |= namebit(name != nullptr ? name : "");
}

callframe::~callframe() {
  free(owned);
}

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

// FNV-1a of the name, one of 64 bits.
unsigned long long namebit(char const* name) {
  unsigned hash = 2166136261u;
  for (; *name; ++name) hash = (hash ^ static_cast<unsigned char>(*name)) * 16777619u;
  return 1ull << ((hash * 0x9E3779B1u) >> 26);
}

} // namespace vesk
