// stores.cpp - the global store and a call's parameter list: named-list records without data
// of their own, and the overlay through which a called script sees its parameters first.
#include "listheaders.h"

namespace vesk {

// On a named list, null or another named list becomes the overlay; anything else changes
// nothing.
void variable::setoverlaypointer(variable* overlay) {
  if (tag != namedlisttype || (overlay != nullptr && overlay->tag != namedlisttype)) return;
  reinterpret_cast<namedlistheader*>(value.list)->overlay = overlay;
}

variables::variables() : variable(namedlisttype, nullptr) {}
variables::variables(allocater* alloc) : variable(namedlisttype, alloc) {}
void variables::setoverlay(parameters* overlay) {
  setoverlaypointer(overlay);
}

parameters::parameters() : variable(namedlisttype, nullptr) {}
parameters::parameters(allocater* alloc) : variable(namedlisttype, alloc) {}
void parameters::setoverlay(parameters* overlay) {
  setoverlaypointer(overlay);
}

} // namespace vesk
