// fastpaths.h - one process-wide switch over the engine's shortcuts (remembered index
// positions, script listings, kept script texts and remembered absent scripts, reused nested
// interpreters and call parameters, block matching found once per run, compiled lines and
// their quick forms, the registry's filter, appending to a stored list in place). Each shortcut
// gives the same results as the plain way (the reference); the switch exists so that a test can
// run the same input both ways and compare. It starts off when VESK_REFERENCE is set.
#pragma once

#include <atomic>

namespace vesk {

extern std::atomic<bool> fastpathswitch; // read on hot paths: use fastpaths()

inline bool fastpaths() {
  return fastpathswitch.load(std::memory_order_relaxed);
} // on unless off
void setfastpaths(bool on); // for tests: takes effect at the next shortcut taken

} // namespace vesk
