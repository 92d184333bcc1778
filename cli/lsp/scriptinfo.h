// scriptinfo.h - what a script tells about itself to those who call it or read it: the
// parameters it reads (names it reads before any line of its own assigns them), the comment
// lines it begins with, and the members of the named lists written as literals in it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "analysis.h"

namespace cli::lsp {

// The names `script` reads before assigning them, in the order first read; functions and
// scripts are calls, not parameters.
std::vector<std::string> parametersread(analysis const& script);

// The text of the comment lines before the script's first statement, without the comment
// marks, one line each.
std::string leadingcomment(std::string_view text);

// The members that the named-list literals assigned to `variable` have (for a list of named
// lists, those of its elements), and those of the list a loop variable runs through.
std::vector<std::string> membersof(analysis const& script, std::string const& variable);

} // namespace cli::lsp
