// scriptmemo.h - names an interpreter has found to be no script file, so that the script
// lookup of a plain name (every variable read) does not compose and look up three paths
// again. An answer holds while the script listings it came from are unchanged (their
// generation) and the interpreter looks in the same folders (its context).
#pragma once

namespace vesk {

class scriptmemo {
public:
  // Whether `name` was remembered as absent under the current epoch and generation.
  bool absent(char const* name, unsigned long long generation);
  void remember(char const* name, unsigned long long generation);
  // The folders looked in have changed: every answer is void.
  void forget() { ++epoch; }
  // A run begins: the answers stay when it looks in the same folders as the last one (the
  // folder of scriptname and both script directories), else they are forgotten. The texts
  // must stay as they are while the run lasts: they are compared when the memo is first
  // asked (most runs of a called script, its lines compiled, never ask).
  void lookin(char const* scriptname, char const* path1, char const* path2) {
    folders[0] = scriptname;
    folders[1] = path1;
    folders[2] = path2;
    placed = false;
  }

private:
  // Four ways per set: names that share a set do not push each other out while there are at
  // most four of them (a loop's variables often share one by chance).
  static constexpr int ways = 4;
  static constexpr int sets = 32; // a power of two: a name's set is its hash masked
  static constexpr int namecapacity = 32;
  struct entry {
    unsigned long long generation;
    unsigned long long epoch; // 0: never filled
    unsigned hash;
    char name[namecapacity];
  };
  static unsigned hashof(char const* name);
  void place(); // takes in the folders of the last lookin
  entry entries[sets][ways] = {};
  unsigned char victim[sets] = {}; // the way a new name takes next when none is free
  unsigned long long epoch = 1;
  unsigned long long context = 0;        // a hash of the folders looked in
  char const* folders[3] = {"", "", ""}; // of the last lookin
  bool placed = true;                    // context is that of `folders`
};

} // namespace vesk
