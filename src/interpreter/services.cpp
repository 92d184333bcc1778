// services.cpp - what functions ask of the interpreter that runs them. A function is given the
// interpreter's operand stack, whose owner is that interpreter: through it a built-in sleeps
// without holding the statement lock, reads the errors its family collected, and hands storage
// to the family's rule of giving back.
#include <chrono>

#include "family.h"
#include "frontend/temporaries.h"
#include "internal.h"
#include "platform/platform.h"
#include "values/stackaccess.h"

namespace vesk {

struct interpreteraccess {
  // Sleeps in short slices, so that a stop request from the host ends the pause early; each
  // slice sleeps what is left until the deadline, so that wake-up delays do not add up.
  static void sleep(interpreter* owner, unsigned milliseconds) {
    using clock = std::chrono::steady_clock;
    constexpr long long slice = 10;
    family* shared = owner->shared;
    bool held = pause(shared);
    auto deadline = clock::now() + std::chrono::milliseconds(milliseconds);
    while (shared == nullptr || !shared->stoprequested) {
      // Rounded up: a fraction of a millisecond left is slept too, never cut short.
      auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - clock::now());
      if (left.count() <= 0) break;
      platform::sleepmilliseconds(static_cast<unsigned>(left.count() < slice ? left.count() : slice));
    }
    resume(shared, held);
    owner->restoreoverlay();
  }

  static family* familyof(stack* opstack) {
    interpreter* owner = opstack != nullptr ? stackaccess::owner(*opstack) : nullptr;
    return owner != nullptr ? owner->shared : nullptr;
  }

  // The interpreter whose statement called the function, or null when the host called it
  // directly (no statement runs).
  static interpreter* running(stack* opstack) {
    interpreter* owner = opstack != nullptr ? stackaccess::owner(*opstack) : nullptr;
    if (owner == nullptr || owner->shared == nullptr || lockedfamily() != owner->shared)
      return nullptr;
    return owner;
  }

  static bool keep(interpreter* owner, variable const& list) { return owner->temps->adopt(list); }
};

void sleepunlocked(stack* opstack, unsigned milliseconds) {
  interpreter* owner = stackaccess::owner(*opstack);
  if (owner == nullptr)
    platform::sleepmilliseconds(milliseconds);
  else
    interpreteraccess::sleep(owner, milliseconds);
}

errorqueue* collectederrors(stack* opstack) {
  family* shared = interpreteraccess::familyof(opstack);
  return shared != nullptr ? &shared->errors : nullptr;
}

void giveback(stack* opstack, variable const& value) {
  if (interpreteraccess::running(opstack) != nullptr) {
    retire(interpreteraccess::familyof(opstack), value);
    return;
  }
  variable released = value;
  releasevalue(&released);
}

bool keepforstatement(stack* opstack, variable const& list) {
  interpreter* owner = interpreteraccess::running(opstack);
  return owner != nullptr && interpreteraccess::keep(owner, list);
}

} // namespace vesk
