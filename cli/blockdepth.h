// blockdepth.h - how deep the lines typed so far nest in blocks, counted the way the engine
// matches blocks: only a name as the first token of a line counts, and each family of block
// words (if/try/parallel..end, for..next, repeat..until, do..while) keeps a depth of its own.
#pragma once

namespace cli {

// if/try/parallel..end, for..next, repeat..until, do..while.
constexpr int blockfamilies = 4;

class blockdepth {
public:
  // Counts the first word of `line`: an opening word deepens its family, a closing word
  // makes it shallower. Other lines change nothing.
  void add(char const* line);

  // True while some family has a block opened and not yet closed. A surplus closing word
  // only makes its family negative, so it never keeps a block open: the engine reports it
  // when the lines run.
  bool open() const;

  void clear();

private:
  int depths[blockfamilies] = {};
};

} // namespace cli
