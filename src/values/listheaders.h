// listheaders.h - what a list record keeps in its payload bytes: a list holds an objlist of
// value records; a named list holds an objlist of named elements (name field, then the value),
// its name index, the overlay pointer and the element removed last. Both are trivially
// copyable, so a byte copy of the record is a second handle on the same blocks and nodes.
#pragma once

#include "avltree.h"
#include "objlist.h"
#include "valuelimits.h"

#include <type_traits>

namespace vesk {

constexpr int payloadsize = 128; // bytes of variable's payload union

struct namedlistheader {
  objlist elements;
  avltree index;
  variable* overlay; // null, or a named list that find() searches first
  // The value of the element remove() took out last, while the list still holds it (null once
  // elements are dropped): addvariable() may put a variable of the same name back there.
  variable* vacant;
};

static_assert(sizeof(namedlistheader) <= payloadsize && alignof(namedlistheader) <= 8,
              "the named-list headers must fit the record's 8-aligned payload");
static_assert(std::is_trivially_copyable_v<namedlistheader> &&
                  std::is_trivially_destructible_v<namedlistheader>,
              "list headers are copied with their record byte for byte and never destroyed");

// Bytes of the payload after the headers that the engine keeps for itself: in a list record,
// when its storage was stored (see storeaccess::stamp) and how often elements were taken out
// of it (storeaccess::generation); in a store, which interpreter family is using it
// (storeaccess::usemark).
constexpr int stampoffset = payloadsize - 8;
constexpr int usemarkoffset = payloadsize - 16;
constexpr int generationoffset = payloadsize - 24;
static_assert(sizeof(namedlistheader) <= generationoffset && sizeof(objlist) <= generationoffset,
              "the engine's own payload bytes lie after the list headers");

// Bytes of one named element: the name field, then the value record.
constexpr int namedelementsize = namefieldlength + static_cast<int>(sizeof(variable));

} // namespace vesk
