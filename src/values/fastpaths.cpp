// fastpaths.cpp - the switch of fastpaths.h. A process started with VESK_REFERENCE in its
// environment runs the reference way from the start: the tests run vesk so, without a switch
// in the library's interface.
#include "fastpaths.h"

#include <cstdlib>

namespace vesk {

std::atomic<bool> fastpathswitch{std::getenv("VESK_REFERENCE") == nullptr};

void setfastpaths(bool on) {
  fastpathswitch.store(on, std::memory_order_relaxed);
}

} // namespace vesk
