// blockdepth.cpp - counting block depths by the first word of each line, with the engine's
// tokenizer, so that comments, strings and quoted names before or instead of a keyword are
// read exactly as the engine reads them when it matches blocks.
#include "blockdepth.h"

#include <cstring>
#include <iterator>

#include "tokenizer.h"

namespace cli {

namespace {

constexpr int maxopeners = 3;

// The words that open and close the blocks of one family; its depth is counted apart from
// the other families, as the engine's matchers do.
struct blockfamily {
  char const* openers[maxopeners];
  char const* closer;
};

constexpr blockfamily families[] = {
    {{"if", "try", "parallel"}, "end"},
    {{"for"}, "next"},
    {{"repeat"}, "until"},
    {{"do"}, "while"},
};
static_assert(std::size(families) == blockfamilies, "one depth per family");

bool opens(blockfamily const& family, char const* word) {
  for (char const* opener : family.openers)
    if (opener != nullptr && strcmp(opener, word) == 0) return true;
  return false;
}

} // namespace

void blockdepth::add(char const* line) {
  vesk::tokenizer tokens(line, vesk::standardoptions);
  vesk::token word;
  if (tokens.nexttoken(word) != vesk::nametoken) return;
  for (int i = 0; i < blockfamilies; ++i) {
    if (opens(families[i], word.text)) ++depths[i];
    if (strcmp(families[i].closer, word.text) == 0) --depths[i];
  }
}

bool blockdepth::open() const {
  for (int depth : depths)
    if (depth > 0) return true;
  return false;
}

void blockdepth::clear() {
  for (int& depth : depths) depth = 0;
}

} // namespace cli
