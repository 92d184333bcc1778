// nothing.cpp - a test extension that exports no entry point at all: its one function stays
// hidden, as everything does that the export macros of vesk.h do not mark.
#include "vesk.h"

bool unexported(vesk::stack*, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  return true;
}
