// matching.cpp - finding the line that closes or divides a block by scanning forward over the
// raw lines. Matching is lexical: only a name as the first token of a line counts, and a depth
// counter skips nested blocks of the same family (if/try/parallel with end; for with next).
#include <cstring>

#include "frontend/symbolizer.h"
#include "internal.h"

namespace vesk {

namespace {

// The first token of a line when it is a name, else "".
void firstword(char const* line, token& word) {
  symbolizer tokens(line, standardoptions);
  if (tokens.nexttoken(word) != nametoken) word.text[0] = '\0';
}

bool opensendblock(char const* word) {
  return strcmp(word, "if") == 0 || strcmp(word, "try") == 0 || strcmp(word, "parallel") == 0;
}

} // namespace

int interpreter::find_end(int start) {
  int depth = 0;
  token word;
  for (int i = start; i < numcmds; ++i) {
    firstword(cmds[i], word);
    if (opensendblock(word.text)) ++depth;
    if (strcmp(word.text, "end") == 0 && --depth < 0) return i;
  }
  return -1;
}

namespace {
// The first line starting with `divider` at depth 0 or less, counting if/try/parallel and end.
int finddivider(char const* const* lines, int start, int count, char const* divider) {
  int depth = 0;
  token word;
  for (int i = start; i < count; ++i) {
    firstword(lines[i], word);
    if (opensendblock(word.text)) ++depth;
    if (strcmp(word.text, "end") == 0) --depth;
    if (depth <= 0 && strcmp(word.text, divider) == 0) return i;
  }
  return -1;
}
} // namespace

int interpreter::find_else(int start) { return finddivider(cmds, start, numcmds, "else"); }

int interpreter::find_catch(int start) { return finddivider(cmds, start, numcmds, "catch"); }

int interpreter::find_thread(int start) { return finddivider(cmds, start, numcmds, "thread"); }

int interpreter::find_next(int start) {
  int depth = 0;
  token word;
  for (int i = start; i < numcmds; ++i) {
    firstword(cmds[i], word);
    if (strcmp(word.text, "for") == 0) ++depth;
    if (strcmp(word.text, "next") == 0 && --depth < 0) return i;
  }
  return -1;
}

} // namespace vesk
