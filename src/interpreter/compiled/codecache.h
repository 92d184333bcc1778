// codecache.h - the compiled lines of the script texts a family runs: a book per text, the
// least recently used making room. Invariant: a book in use by a run (`users` above zero) is
// not taken away, and each kept book holds a use of its text, so the text outlives it.
#pragma once

namespace vesk {

struct family;
struct scripttext;
class codebook;

struct codecache {
  struct keptbook {
    scripttext* script = nullptr;
    codebook* book = nullptr;
    int users = 0;
    unsigned long long used = 0;
  };
  static constexpr int keptbooks = 32;
  keptbook books[keptbooks];
  keptbook* lastbook = nullptr; // the one taken last, looked at first
  unsigned long long uses = 0;
};

// The book of the compiled lines of `script`, taken for a run (null when none can be had), and
// given back when the run is over.
codebook* takebook(family* shared, scripttext* script);
void givebook(family* shared, codebook* book);
// Gives back every book, at the end of the family.
void releasecodecache(family* shared);

} // namespace vesk
