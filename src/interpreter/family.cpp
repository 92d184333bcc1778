// family.cpp - shared state of an interpreter and its nested interpreters, and the deferred
// release of storage that nested runs give back (see family.h for why it waits).
#include "family.h"

#include <cstdlib>
#include <new>

#include "internal.h"

namespace vesk {

family* newfamily() {
  family* shared = new (std::nothrow) family;
  if (shared != nullptr) *shared = family{nullptr, 0, 0};
  return shared;
}

void deletefamily(family* shared) {
  if (shared == nullptr) return;
  releaseburied(shared);
  free(shared->graveyard);
  delete shared;
}

void giveback(family* shared, variable* value, bool now) {
  if (!value->islist() && !value->isnamedlist()) return;
  if (now || shared == nullptr) {
    releasevalue(value);
    return;
  }
  if (shared->buried == shared->capacity) {
    int capacity = shared->capacity ? shared->capacity * 2 : 64;
    void* grown = realloc(shared->graveyard, sizeof(variable) * static_cast<size_t>(capacity));
    if (grown == nullptr) return; // keeping the storage is safe; releasing it early is not
    shared->graveyard = static_cast<variable*>(grown);
    shared->capacity = capacity;
  }
  shared->graveyard[shared->buried++] = *value;
}

void releaseburied(family* shared) {
  if (shared == nullptr) return;
  for (int i = 0; i < shared->buried; ++i) releasevalue(&shared->graveyard[i]);
  shared->buried = 0;
}

} // namespace vesk
