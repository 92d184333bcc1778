// storeaccess.h - internal access to a named list's overlay pointer, for the interpreter, which
// lays the parameters of each running script over the global store and restores them.
#pragma once

#include "listheaders.h"
#include "vesk.h"

namespace vesk {

struct storeaccess {
  // The overlay of a named list, or null (also for any other value).
  static variable* overlay(variable const& store) {
    if (store.tag != namedlisttype) return nullptr;
    return reinterpret_cast<namedlistheader const*>(store.value.list)->overlay;
  }
  static void setoverlay(variable& store, variable* overlay) { store.setoverlaypointer(overlay); }
  // Cuts a plain list back to its first n elements (see objlist::truncate).
  static void truncate(variable& list, int n) {
    if (list.tag == listtype) reinterpret_cast<objlist*>(list.value.list)->truncate(n);
  }
};

} // namespace vesk
