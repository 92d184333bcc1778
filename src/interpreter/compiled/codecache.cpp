// codecache.cpp - the family's books of compiled lines, made on the first call of a script.
#include "codecache.h"

#include <new>

#include "codebook.h"
#include "family.h"
#include "scripttexts.h"

namespace vesk {

codebook* takebook(family* shared, scripttext* script) {
  if (shared->code == nullptr) shared->code = new (std::nothrow) codecache;
  codecache* cache = shared->code;
  if (cache == nullptr) return nullptr;
  codecache::keptbook* last = cache->lastbook;
  if (last != nullptr && last->script == script) {
    ++last->users;
    last->used = ++cache->uses;
    return last->book;
  }
  codecache::keptbook* slot = nullptr;
  for (codecache::keptbook& kept : cache->books) {
    if (kept.script == script) {
      slot = &kept;
      break;
    }
    if (kept.users == 0 && (slot == nullptr || kept.used < slot->used)) slot = &kept;
  }
  if (slot == nullptr) return nullptr; // every book is in use
  if (slot->script != script) {
    codebook* book = codebook::make(script->count);
    if (book == nullptr) return nullptr;
    codebook::release(slot->book);
    if (slot->script != nullptr) releasescripttext(slot->script);
    usescripttext(script);
    slot->script = script;
    slot->book = book;
  }
  ++slot->users;
  slot->used = ++cache->uses;
  cache->lastbook = slot;
  return slot->book;
}

void givebook(family* shared, codebook* book) {
  codecache* cache = shared->code;
  if (book == nullptr || cache == nullptr) return;
  if (cache->lastbook != nullptr && cache->lastbook->book == book) {
    --cache->lastbook->users;
    return;
  }
  for (codecache::keptbook& kept : cache->books)
    if (kept.book == book) --kept.users;
}

void releasecodecache(family* shared) {
  codecache* cache = shared->code;
  if (cache == nullptr) return;
  for (codecache::keptbook& kept : cache->books) {
    codebook::release(kept.book);
    if (kept.script != nullptr) releasescripttext(kept.script);
  }
  delete cache;
  shared->code = nullptr;
}

} // namespace vesk
