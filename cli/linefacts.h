// linefacts.h - what the engine's parser reads in one line, each name tied to the token it was
// written as: the variables it reads and assigns, the calls it makes, its loop variables, and
// where reading it failed. How a name reads (a call or a variable) is asked of a judge, since
// that decides how the rest of the line is read, as it does when the line runs.
#pragma once

#include <string>
#include <vector>

#include "code.h"
#include "linetokens.h"

namespace cli {

enum class namerole {
  read,         // a variable read, or the start of an element chain (also an element assigned)
  assigned,     // the variable of an assignment "name = ..."
  called,       // a call of a function or script
  loopvariable, // the variable of "for NAME =" or "for each NAME"
  looplist,     // the list of "for each .. in NAME"
};

struct nameuse {
  int token; // index into the line's tokens
  namerole role;
  std::string name;
};

struct linefacts {
  bool failed = false;
  int failtoken = -1;         // the token where reading stopped (-1: the line has none)
  std::string failure;        // the parser's message
  std::string context;        // the statement's message that follows a failed expression, if any
  std::vector<nameuse> names; // each token once
};

// Tells how a name read as an operand reads: `token` is its index in `tokens`.
class namejudge {
public:
  virtual vesk::namekind kindof(char const* name, int token,
                                std::vector<placedtoken> const& tokens) = 0;

protected:
  ~namejudge() = default;
};

// A judge that needs no knowledge of functions and scripts: a name followed by "(" or by the
// start of an operand is a call, as a call without parentheses would be written.
class shapejudge final : public namejudge {
public:
  vesk::namekind kindof(char const* name, int token,
                        std::vector<placedtoken> const& tokens) override;
};

// Reads `line` (NUL-terminated), whose tokens are `tokens`, as a statement of a script.
linefacts readfacts(char const* line, std::vector<placedtoken> const& tokens, namejudge& judge);

} // namespace cli
