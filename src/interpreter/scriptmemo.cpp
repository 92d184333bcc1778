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

void scriptmemo::lookin(char const* scriptname, char const* path1, char const* path2) {
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
  mix(path1, nullptr);
  mix(path2, nullptr);
  if (hash != context) forget();
  context = hash;
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
