// nofunctions.cpp - a test extension that exports `modules` but not `modulename`, so that the
// loader finds no complete set of entry points in it.
#include "vesk.h"

extern "C" VESK_EXTENSION_EXPORT vesk::scriptfunc vesk_modules(int) {
  return nullptr;
}
