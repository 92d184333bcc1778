// endless.cpp - a test extension whose `modules` never runs out of functions: it hands out the
// same function for every index, and `modulename` names the calls in order m0, m1, m2, ...
// The loader must stop after its bound of functions per library.
#include <cstdio>

#include "vesk.h"

namespace {

constexpr int namesize = 16;
int named = 0; // names handed out since the loader asked for index 0
char name[namesize];

bool numbered(vesk::stack* opstack, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  return opstack->push(1.0) != nullptr;
}

// Index 0 starts the numbering again, so that every registration of the library names its functions
// from m0.
vesk::scriptfunc functionat(int index) {
  if (index == 0) named = 0;
  return numbered;
}

// The loader is done with a name before it asks for the next, so one buffer suffices.
char const* nameof(vesk::scriptfunc) {
  snprintf(name, namesize, "m%d", named++);
  return name;
}

} // namespace

VESK_EXPORT_MODULES(functionat, nameof)
