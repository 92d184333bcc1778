// blockmatch.h - which block each line of a script opens, divides or closes, matched the way
// the engine matches them: by the first word of a line only; a closing word closes the
// innermost block it can close (leaving the ones inside it unterminated); a dividing word
// divides the innermost block when that block takes it.
#pragma once

#include <string>
#include <vector>

#include "linetokens.h"

namespace cli {

enum class blockrole { none, opens, divides, closes };

struct blockstep {
  blockrole role = blockrole::none;
  int depth = 0;       // blocks around the line as it is shown: an opener's, divider's and
                       // closer's own line stands at the depth of the block's opener
  int openerline = -1; // dividing or closing: the line that opened that block; -1: none
};

class blockmatcher {
public:
  // Takes the next line (numbered `line`) by its tokens.
  blockstep add(int line, std::vector<placedtoken> const& tokens);
  // The lines of the blocks still open, outermost first.
  std::vector<int> openlines() const;

private:
  struct openblock {
    int line;
    std::string word;
  };
  std::vector<openblock> open;
};

// The keywords that open, divide and close blocks.
bool isblockword(std::string const& word);

} // namespace cli
