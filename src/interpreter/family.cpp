// family.cpp - shared state of an interpreter and its nested interpreters: the statement lock
// (see family.h) and the deferred release of storage that nested runs give back.
#include "family.h"

#include <cstdlib>
#include <new>

#include "internal.h"

namespace vesk {

namespace {
thread_local family* heldfamily = nullptr; // the family whose lock this thread holds
} // namespace

family* newfamily() { return new (std::nothrow) family; }

void deletefamily(family* shared) {
  if (shared == nullptr) return;
  releaseburied(shared);
  free(shared->graveyard);
  while (shared->sparecount > 0) delete shared->spares[--shared->sparecount];
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

statementlock::statementlock(family* shared)
    : held(shared), outer(heldfamily), acquired(shared != nullptr && heldfamily != shared) {
  if (!acquired) return;
  shared->lock.lock();
  --shared->paused;
  heldfamily = shared;
}

statementlock::~statementlock() {
  if (!acquired) return;
  heldfamily = outer;
  held->lock.unlock();
}

bool pause(family* shared) {
  if (shared == nullptr || heldfamily != shared) return false;
  heldfamily = nullptr;
  ++shared->paused;
  shared->lock.unlock();
  return true;
}

void resume(family* shared, bool washeld) {
  if (!washeld) return;
  shared->lock.lock();
  heldfamily = shared;
}

bool releaseafterstatement(variable* value) {
  if (heldfamily == nullptr) return false;
  giveback(heldfamily, value, false);
  return true;
}

} // namespace vesk
