// scripttexts.h - script files read once: a file's text cut into lines, shared by every run
// that uses it, and kept by path while the folder listings vouch that the file has not changed
// (a change, a file-system built-in or a lost notification changes their generation).
#pragma once

#include <atomic>

namespace vesk {

struct scripttext {
  std::atomic<int> users; // the runs using it, and the store of kept texts
  char* text;
  char const** lines;
  int count;
  long bytes; // of the text
};

// Takes over text and lines (both from malloc) with one user; null, with both released, when
// there is no memory for the record.
scripttext* makescripttext(char* text, char const** lines, int count, long bytes);
void usescripttext(scripttext* script);
void releasescripttext(scripttext* script); // the last user frees it

// The kept text of `path` with a use taken, when it is still current; else null.
scripttext* keptscript(char const* path);
// Keeps `script` for `path` if the listings know the file and it is not large, `generation`
// being the listings' generation from before the file was read. True when it is kept: the
// listings then vouch for it until their generation moves.
bool keepscript(char const* path, scripttext* script, unsigned long long generation);

} // namespace vesk
