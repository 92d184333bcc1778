// services.cpp - what functions ask of the interpreter that runs them. A function is given the
// interpreter's operand stack, whose owner is that interpreter: through it a built-in sleeps
// without holding the statement lock, reads the errors its family collected, hands storage to
// the family's rule of giving back, and learns the folders its file access is confined to.
#include <chrono>

#include "services.h"

#include "machine.h"
#include "platform.h"
#include "release.h"

namespace vesk {

namespace {

// Sleeps in short slices, so that a stop request from the host ends the pause early; each
// slice sleeps what is left until the deadline, so that wake-up delays do not add up.
void sleepwithout(machine* owner, unsigned milliseconds) {
  using clock = std::chrono::steady_clock;
  constexpr long long slice = 10;
  family* shared = owner->shared;
  bool held = pause(&shared->lock);
  auto deadline = clock::now() + std::chrono::milliseconds(milliseconds);
  while (!shared->stoprequested) {
    // Rounded up: a fraction of a millisecond left is slept too, never cut short.
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - clock::now());
    if (left.count() <= 0) break;
    platform::sleepmilliseconds(static_cast<unsigned>(left.count() < slice ? left.count() : slice));
  }
  resume(&shared->lock, held);
  owner->restoreoverlay();
}

// The machine whose statement called the function, or null when the host called it directly
// (no statement runs).
machine* running(stack* opstack) {
  machine* owner = opstack != nullptr ? stackaccess::owner(*opstack) : nullptr;
  if (owner == nullptr || owner->thread == nullptr || owner->thread->statement == 0) return nullptr;
  return owner;
}

} // namespace

void sleepunlocked(stack* opstack, unsigned milliseconds) {
  machine* owner = stackaccess::owner(*opstack);
  if (owner == nullptr || owner->shared == nullptr)
    platform::sleepmilliseconds(milliseconds);
  else
    sleepwithout(owner, milliseconds);
}

errorqueue* collectederrors(stack* opstack) {
  machine* owner = opstack != nullptr ? stackaccess::owner(*opstack) : nullptr;
  return owner != nullptr && owner->shared != nullptr ? &owner->shared->errors : nullptr;
}

void giveback(stack* opstack, variable const& value) {
  if (machine* owner = running(opstack)) {
    retire(owner->shared, value);
    return;
  }
  variable released = value;
  releasevalue(&released);
}

bool confinedfiles(stack* opstack, platform::allowedfolders const** folders) {
  machine* owner = opstack != nullptr ? stackaccess::owner(*opstack) : nullptr;
  family* shared = owner != nullptr ? owner->shared : nullptr;
  *folders = shared != nullptr ? shared->files : nullptr;
  return shared != nullptr && shared->confined;
}

bool keepforstatement(stack* opstack, variable const& list) {
  machine* owner = running(opstack);
  return owner != nullptr && owner->temps->adopt(list);
}

} // namespace vesk
