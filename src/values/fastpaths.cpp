// fastpaths.cpp - the switch of fastpaths.h, read on hot paths: a relaxed atomic load.
#include "fastpaths.h"

#include <atomic>

namespace vesk {

namespace {
std::atomic<bool> enabled{true};
}

bool fastpaths() { return enabled.load(std::memory_order_relaxed); }

void setfastpaths(bool on) { enabled.store(on, std::memory_order_relaxed); }

} // namespace vesk
