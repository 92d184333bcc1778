// fastpaths.h - one process-wide switch over the engine's shortcuts (remembered index
// positions, script listings and remembered absent scripts, block matching found once per
// run, appending to a stored list in place). Each shortcut gives the same results as the plain
// way; the switch exists so that a test can run the same input both ways and compare.
#pragma once

namespace vesk {

bool fastpaths();              // on unless switched off
void setfastpaths(bool on);    // for tests: takes effect at the next shortcut taken

} // namespace vesk
