// names.cpp - where a variable is found: in the store, with the running call's parameters laid
// over it as its overlay (or, without a store, in those parameters alone).
#include "callframe.h"
#include "machine.h"
#include "storeaccess.h"

namespace vesk {

// The named list where names are looked up: the store (with the running call's parameters laid
// over it), or without a store the parameters alone.
variable* machine::namesroot() const {
  if (globals != nullptr) return globals;
  return frame != nullptr ? frame->params : nullptr;
}

variable* machine::find(char const* name) {
  variable* root = namesroot();
  return root != nullptr ? root->find(name) : nullptr;
}

// Lays this engine's parameters over the store again, after a call or another part of a
// parallel block may have laid others there.
void machine::restoreoverlay() {
  if (globals == nullptr) return;
  variable* params = frame ? frame->params : nullptr;
  if (storeaccess::overlay(*globals) != params) storeaccess::setoverlay(*globals, params);
}

} // namespace vesk
