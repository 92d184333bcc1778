// scriptmemo.cpp - a set-associative table of names without a script file: a name goes into
// its set in place of its own stale entry, else a void one, else the set's ways in turn; names
// too long for an entry are not remembered.
#include "scriptmemo.h"

#include <cstring>

namespace vesk {

unsigned scriptmemo::hashof(char const* name) {
  unsigned hash = 2166136261u; // FNV-1a
  for (; *name; ++name) hash = (hash ^ static_cast<unsigned char>(*name)) * 16777619u;
  return hash;
}

void scriptmemo::place() {
  placed = true;
  char const* scriptname = folders[0];
  unsigned long long hash = 14695981039346656037ull; // FNV-1a over the three folders
  auto mix = [&hash](char const* text, char const* end) {
    for (; *text && text != end; ++text)
      hash = (hash ^ static_cast<unsigned char>(*text)) * 1099511628211ull;
    hash = (hash ^ 0xffu) * 1099511628211ull; // a separator no path holds
  };
  char const* folderend = scriptname;
  for (char const* p = scriptname; *p; ++p)
    if (*p == '/' || *p == '\\') folderend = p;
  mix(scriptname, folderend);
  mix(folders[1], nullptr);
  mix(folders[2], nullptr);
  if (hash != context) forget();
  context = hash;
}

bool scriptmemo::absent(char const* name, unsigned long long generation) {
  if (!placed) place();
  unsigned hash = hashof(name);
  for (entry const& e : entries[hash & (sets - 1)])
    if (e.hash == hash && e.epoch == epoch && e.generation == generation &&
        strcmp(e.name, name) == 0)
      return true;
  return false;
}

void scriptmemo::remember(char const* name, unsigned long long generation) {
  if (!placed) place();
  size_t length = strlen(name);
  if (length >= namecapacity) return;
  unsigned hash = hashof(name);
  unsigned set = hash & (sets - 1);
  entry* slot = nullptr;
  for (entry& e : entries[set])
    if (e.hash == hash && strcmp(e.name, name) == 0) slot = &e;
  for (entry& e : entries[set])
    if (slot == nullptr && (e.epoch != epoch || e.generation != generation)) slot = &e;
  if (slot == nullptr) {
    slot = &entries[set][victim[set]];
    victim[set] = static_cast<unsigned char>((victim[set] + 1) % ways);
  }
  memcpy(slot->name, name, length + 1);
  slot->hash = hash;
  slot->generation = generation;
  slot->epoch = epoch;
}

} // namespace vesk
