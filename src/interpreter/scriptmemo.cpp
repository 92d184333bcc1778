// scriptmemo.cpp - a direct-mapped table of names without a script file: a later name with
// the same slot replaces an earlier one, names too long for a slot are not remembered.
#include "scriptmemo.h"

#include <cstring>

namespace vesk {

unsigned scriptmemo::slotof(char const* name) {
  unsigned hash = 2166136261u; // FNV-1a
  for (; *name; ++name) hash = (hash ^ static_cast<unsigned char>(*name)) * 16777619u;
  return hash & (slots - 1);
}

bool scriptmemo::absent(char const* name, unsigned long long generation) const {
  entry const& e = entries[slotof(name)];
  return e.epoch == epoch && e.generation == generation && strcmp(e.name, name) == 0;
}

void scriptmemo::remember(char const* name, unsigned long long generation) {
  size_t length = strlen(name);
  if (length >= namecapacity) return;
  entry& e = entries[slotof(name)];
  memcpy(e.name, name, length + 1);
  e.generation = generation;
  e.epoch = epoch;
}

} // namespace vesk
