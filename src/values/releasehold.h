// releasehold.h - storage a host gives back while a statement may still refer to it: during a
// function call, a list that the host resets (or removes from a store) can be the very list the
// calling statement holds on its operand stack. The engine installs a hold for the length of
// the call; reset() then hands the list's blocks and index to it, to be released once no
// statement can refer to them, and leaves the record an empty list as usual.
#pragma once

#include "fasttls.h"
#include "vesk.h"

namespace vesk {

struct releasehold {
  // Takes over the storage of `held`, a copy of the record being reset (its own blocks and
  // index only: lists inside it are not its to release); false when it cannot, and the
  // storage is then released at once.
  bool (*take)(void* context, variable const& held) = nullptr;
  void* context = nullptr;
};

// This thread's hold: a function of the host runs on the thread of the statement that called it.
VESK_FASTTLS extern constinit thread_local releasehold currenthold;

// Installs this thread's hold (an empty one: none) and returns the one it replaces.
inline releasehold setreleasehold(releasehold hold) {
  releasehold before = currenthold;
  currenthold = hold;
  return before;
}

// Whether this thread's hold took over the storage of `list`.
bool heldforrelease(variable const& list);

} // namespace vesk
