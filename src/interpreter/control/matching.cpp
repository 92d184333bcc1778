// matching.cpp - finding the line that closes or divides a block by scanning forward over the
// raw lines. Matching is lexical: only a name as the first token of a line counts, and a depth
// counter skips nested blocks of the same family (if/try/parallel with end; for with next).
// Lines do not change during a run, so each answer is found once and remembered for the run.
#include <cstdlib>
#include <cstring>

#include "fastpaths.h"
#include "runner.h"
#include "tokenizer.h"

namespace vesk {

namespace {

enum matcher { endmatch, elsematch, catchmatch, threadmatch, nextmatch, matchers };

// The first token of a line when it is a name, else "".
void firstword(char const* line, token& word) {
  tokenizer tokens(line, standardoptions);
  if (tokens.nexttoken(word) != nametoken) word.text[0] = '\0';
}

bool opensendblock(char const* word) {
  return strcmp(word, "if") == 0 || strcmp(word, "try") == 0 || strcmp(word, "parallel") == 0;
}

// The "end" at which the depth of if/try/parallel blocks drops below 0.
int scanend(char const* const* lines, int start, int count) {
  int depth = 0;
  token word;
  for (int i = start; i < count; ++i) {
    firstword(lines[i], word);
    if (opensendblock(word.text)) ++depth;
    if (strcmp(word.text, "end") == 0 && --depth < 0) return i;
  }
  return -1;
}

// The first line starting with `divider` at depth 0 or less, counting if/try/parallel and end.
int scandivider(char const* const* lines, int start, int count, char const* divider) {
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

int scanelse(char const* const* lines, int start, int count) {
  return scandivider(lines, start, count, "else");
}
int scancatch(char const* const* lines, int start, int count) {
  return scandivider(lines, start, count, "catch");
}
int scanthread(char const* const* lines, int start, int count) {
  return scandivider(lines, start, count, "thread");
}

// The "next" at which the depth of for loops drops below 0.
int scannext(char const* const* lines, int start, int count) {
  int depth = 0;
  token word;
  for (int i = start; i < count; ++i) {
    firstword(lines[i], word);
    if (strcmp(word.text, "for") == 0) ++depth;
    if (strcmp(word.text, "next") == 0 && --depth < 0) return i;
  }
  return -1;
}

} // namespace

namespace {

// A table of at most this many entries stays with the interpreter after its run, so that
// script calls, which run the same short scripts again and again, do not allocate each time.
constexpr size_t keptentries = 4096;

// The table's capacity in entries, held in a header just before the entries.
size_t& capacityof(int* table) {
  return *(reinterpret_cast<size_t*>(table) - 1);
}

size_t entriesfor(int lines) {
  return static_cast<size_t>(lines + 1) * matchers;
}

} // namespace

// A run of numcmds lines begins: a kept table is cleared when it is large enough, else it is
// given up and a new one is made on first use.
void runner::clearmatches() {
  if (matches == nullptr) return;
  size_t entries = entriesfor(numcmds);
  if (capacityof(matches) >= entries)
    memset(matches, 0, entries * sizeof(int));
  else
    releasematches();
}

// A run has ended: a small table is kept for the next run, a large one given back.
void runner::endmatches() {
  if (matches != nullptr && capacityof(matches) > keptentries) releasematches();
}

runner::~runner() {
  releasematches();
}

void runner::releasematches() {
  if (matches != nullptr) free(reinterpret_cast<size_t*>(matches) - 1);
  matches = nullptr;
}

// The answer of `scan` from `start`, scanned on first use in this run. Answers are kept as
// line + 2 (so that 0 means not yet known and 1 means no match); without memory for the table
// every question is scanned anew.
int runner::matched(int kind, int start, int (*scan)(char const* const*, int, int)) {
  if (start < 0 || start > numcmds || !fastpaths()) return scan(cmds, start, numcmds);
  if (matches == nullptr) {
    size_t entries = entriesfor(numcmds);
    auto block = static_cast<size_t*>(calloc(1, sizeof(size_t) + entries * sizeof(int)));
    if (block == nullptr) return scan(cmds, start, numcmds);
    *block = entries;
    matches = reinterpret_cast<int*>(block + 1);
  }
  int& answer = matches[static_cast<size_t>(start) * matchers + static_cast<size_t>(kind)];
  if (answer == 0) answer = scan(cmds, start, numcmds) + 2;
  return answer - 2;
}

int runner::find_end(int start) {
  return matched(endmatch, start, scanend);
}

int runner::find_else(int start) {
  return matched(elsematch, start, scanelse);
}

namespace {

// find_ifparts when an answer is still to be found (kept apart, so that the answers known
// cost no more than reading them).
[[gnu::noinline]] int findifparts(runner& run, int start, int* divider) {
  int end = run.find_end(start);
  *divider = run.find_else(start);
  return end;
}

} // namespace

// find_end, with find_else in `divider`: both answers at once when this run has found them.
int runner::find_ifparts(int start, int* divider) {
  if (matches != nullptr && start >= 0 && start <= numcmds && fastpaths()) {
    int const* answers = matches + static_cast<size_t>(start) * matchers;
    if (answers[endmatch] != 0 && answers[elsematch] != 0) {
      *divider = answers[elsematch] - 2;
      return answers[endmatch] - 2;
    }
  }
  return findifparts(*this, start, divider);
}

int runner::find_catch(int start) {
  return matched(catchmatch, start, scancatch);
}

int runner::find_thread(int start) {
  return matched(threadmatch, start, scanthread);
}

int runner::find_next(int start) {
  return matched(nextmatch, start, scannext);
}

} // namespace vesk
