// emptytable.cpp - a test extension with both entry points of a module table whose first entry
// is already the end: it loads, and registers nothing.
#include "vesk.h"

namespace {

vesk::scriptfunc functionat(int) {
  return nullptr;
}

char const* nameof(vesk::scriptfunc) {
  return nullptr;
}

} // namespace

VESK_EXPORT_MODULES(functionat, nameof)
