// releasehold.cpp - one hold per thread: a function of the host runs on the thread of the
// statement that called it.
#include "releasehold.h"

namespace vesk {

namespace {
thread_local releasehold current;
} // namespace

releasehold setreleasehold(releasehold hold) {
  releasehold before = current;
  current = hold;
  return before;
}

bool heldforrelease(variable const& list) {
  return current.take != nullptr && current.take(current.context, list);
}

} // namespace vesk
