// fastpaths.cpp - the switch of fastpaths.h.
#include "fastpaths.h"

namespace vesk {

std::atomic<bool> fastpathswitch{true};

void setfastpaths(bool on) { fastpathswitch.store(on, std::memory_order_relaxed); }

} // namespace vesk
