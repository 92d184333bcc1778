// releasehold.cpp - one hold per thread, and whether it takes a list's storage.
#include "releasehold.h"

namespace vesk {

VESK_FASTTLS constinit thread_local releasehold currenthold;

bool heldforrelease(variable const& list) {
  return currenthold.take != nullptr && currenthold.take(currenthold.context, list);
}

} // namespace vesk
