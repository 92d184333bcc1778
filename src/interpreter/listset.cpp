// listset.cpp - an open-addressing set of list identities (the address of element 0, which
// never moves while the list lives). Without memory to grow, a list is simply not remembered,
// which only means its storage waits for the outermost interpreter.
#include "listset.h"

#include <cstdint>
#include <cstdlib>

#include "vesk.h"

namespace vesk {

namespace {

char const tombstone = 0;
void const* const gone = &tombstone;

void const* identity(variable const& list) {
  variable& walker = const_cast<variable&>(list);
  return (walker.islist() || walker.isnamedlist()) ? walker.index(0) : nullptr;
}

int home(void const* key, int capacity) {
  auto bits = reinterpret_cast<std::uintptr_t>(key);
  return static_cast<int>((bits >> 4) * 0x9E3779B97F4A7C15ull >> 40) & (capacity - 1);
}

} // namespace

listset::~listset() { std::free(slots); }

void listset::clear() {
  std::free(slots);
  slots = nullptr;
  capacity = used = 0;
}

bool listset::grow() {
  int bigger = capacity ? capacity * 2 : 64;
  auto fresh = static_cast<void const**>(std::calloc(static_cast<size_t>(bigger), sizeof(void*)));
  if (fresh == nullptr) return false;
  void const** old = slots;
  int oldcapacity = capacity;
  slots = fresh;
  capacity = bigger;
  used = 0;
  for (int i = 0; i < oldcapacity; ++i) {
    if (old[i] == nullptr || old[i] == gone) continue;
    int at = home(old[i], capacity);
    while (slots[at] != nullptr) at = (at + 1) & (capacity - 1);
    slots[at] = old[i];
    ++used;
  }
  std::free(old);
  return true;
}

void listset::add(variable const& list) {
  void const* key = identity(list);
  if (key == nullptr) return;
  if ((used + 1) * 2 > capacity && !grow()) return;
  int at = home(key, capacity);
  while (slots[at] != nullptr && slots[at] != gone) at = (at + 1) & (capacity - 1);
  slots[at] = key;
  ++used;
}

bool listset::remove(variable const& list) {
  void const* key = identity(list);
  if (key == nullptr || capacity == 0) return false;
  for (int at = home(key, capacity), probes = 0; probes < capacity;
       at = (at + 1) & (capacity - 1), ++probes) {
    if (slots[at] == nullptr) return false;
    if (slots[at] == key) {
      slots[at] = gone;
      return true;
    }
  }
  return false;
}

} // namespace vesk
