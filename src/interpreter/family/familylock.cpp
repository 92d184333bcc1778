// familylock.cpp - the statement lock of a family and the list of its threads. Which lock this
// thread holds is thread-local: a few words, read on every statement.
#include "familylock.h"

#include "fasttls.h"

namespace vesk {

namespace {

VESK_FASTTLS thread_local familylock* heldlock = nullptr; // the lock this thread holds

} // namespace

void addthread(familylock& lock, threadstate* thread) {
  thread->next = lock.host.next;
  lock.host.next = thread;
}

void removethread(familylock& lock, threadstate* thread) {
  for (threadstate* t = &lock.host; t->next != nullptr; t = t->next) {
    if (t->next != thread) continue;
    t->next = thread->next;
    return;
  }
}

void statementlock::take() {
  if (heldlock == held) return;
  outer = heldlock;
  acquired = true;
  held->mutex.lock();
  heldlock = held;
}

void statementlock::give() {
  heldlock = outer;
  held->mutex.unlock();
}

bool pause(familylock* lock) {
  if (lock == nullptr || heldlock != lock) return false;
  heldlock = nullptr;
  lock->mutex.unlock();
  return true;
}

void resume(familylock* lock, bool washeld) {
  if (!washeld) return;
  lock->mutex.lock();
  heldlock = lock;
}

} // namespace vesk
