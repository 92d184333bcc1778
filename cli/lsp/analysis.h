// analysis.h - a script read line by line as the engine reads it, kept for the requests about
// one version of a document: each line's tokens with where they were written, what its parser
// read (names with their roles, where it failed) and which block it opens, divides or closes.
// Names read as functions or scripts as the judge says, as they would in a run.
#pragma once

#include <cstddef>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "blockmatch.h"
#include "linefacts.h"
#include "linetokens.h"

namespace cli::lsp {

struct lineinfo {
  std::size_t shift = 0; // bytes before the line's text that its tokens skip (a byte-order mark)
  std::vector<placedtoken> tokens;
  linefacts facts;
  blockstep block;
  int closedby = -1; // an opening line: the line that closes its block (-1: none)
};

struct analysis {
  std::vector<lineinfo> lines;
};

// Where a name is written: a line and a token of it.
struct place {
  int line;
  int token;
};

// Reads the lines of a text (LF-separated, a CR before an LF dropped, a byte-order mark before
// the first line skipped).
std::shared_ptr<analysis const> analyse(std::string_view text, namejudge& judge);

// One line read on its own, as analyse reads it (blocks are not matched); `first`: it is the
// first line of its script, where a byte-order mark is skipped.
lineinfo readline(std::string_view written, bool first, namejudge& judge);

// The line texts as analyse cut them.
std::vector<std::string_view> textlines(std::string_view text);

// The token of `line` whose text holds the byte `offset` or ends at it; -1 when none does.
int tokenat(lineinfo const& line, std::size_t offset);

// The role with which token `token` of the line is read, when it is a name the parser read.
nameuse const* useat(lineinfo const& line, int token);

// Places where the variable `name` is read or written (not called), in line order.
std::vector<place> variableuses(analysis const& script, std::string const& name);

// The first place that assigns `name` (an assignment or a loop's variable); line -1: none.
place firstassignment(analysis const& script, std::string const& name);

// Every name the script assigns (or uses as a loop variable), once each, in the order of the
// first assignment.
std::vector<std::string> assignednames(analysis const& script);

// A judge that knows which names are functions and which are scripts in reach.
class reachjudge final : public namejudge {
public:
  reachjudge(std::set<std::string> const& functions, std::set<std::string> const& scripts)
      : functions(functions), scripts(scripts) {}
  vesk::namekind kindof(char const* name, int token,
                        std::vector<placedtoken> const& tokens) override;

private:
  std::set<std::string> const& functions;
  std::set<std::string> const& scripts;
};

} // namespace cli::lsp
