// codebook.cpp - the table of a text's compiled lines and their passes, and the release of a
// compiled line with the uses of script texts its sites hold.
#include "codebook.h"

#include <cstdlib>
#include <new>

#include "scripttexts.h"

namespace vesk {

void releaseline(compiledline* line) {
  if (line == nullptr) return;
  for (int i = 0; i < line->sitecount; ++i)
    if (line->sites[i].script != nullptr) releasescripttext(line->sites[i].script);
  free(line->code);
  delete[] line->sites;
  free(line->texts);
  free(line->quick);
  delete line;
}

void notescripts(compiledline& line) {
  line.callsscript = line.unkept = false;
  for (int i = 0; i < line.sitecount; ++i) {
    site const& s = line.sites[i];
    if (s.kind != calledscript) continue;
    line.callsscript = true;
    if (!s.kept) line.unkept = true;
  }
}

codebook* codebook::make(int lines) {
  auto* book = new (std::nothrow) codebook;
  if (book == nullptr) return nullptr;
  size_t n = static_cast<size_t>(lines > 0 ? lines : 1);
  book->lines = static_cast<compiledline**>(calloc(n, sizeof(compiledline*)));
  book->passes = static_cast<unsigned char*>(calloc(n, 1));
  book->count = lines;
  if (book->lines != nullptr && book->passes != nullptr) return book;
  release(book);
  return nullptr;
}

void codebook::release(codebook* book) {
  if (book == nullptr) return;
  for (int i = 0; book->lines != nullptr && i < book->count; ++i) releaseline(book->lines[i]);
  while (book->replaced != nullptr) {
    compiledline* next = book->replaced->next;
    releaseline(book->replaced);
    book->replaced = next;
  }
  free(book->lines);
  free(book->passes);
  delete book;
}

void codebook::install(int i, compiledline* compiled) {
  compiledline* old = lines[i];
  lines[i] = compiled;
  if (old == nullptr || old == compiled) return;
  if (old->running == 0) {
    releaseline(old);
    return;
  }
  old->next = replaced;
  replaced = old;
}

} // namespace vesk
