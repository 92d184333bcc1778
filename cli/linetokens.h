// linetokens.h - the tokens of one line together with where each was written, read by the
// engine's own tokenizer: what the formatter and the language server place their work on.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tokenizer.h"

namespace cli {

struct placedtoken {
  vesk::tokentype type;
  std::size_t from, to; // byte offsets in the line: the first byte and the byte after the last
  std::string text;     // a name's, text's or quoted name's contents; a chartoken's character
};

// Every token of `line` (NUL-terminated, one line of a script), in order, without the endtoken.
std::vector<placedtoken> linetokens(char const* line);

// Whether `t` is the single character `c` (a chartoken: parentheses, brackets, ",", ".").
bool ischar(placedtoken const& t, char c);

// Whether `t` is the name `word` (not a quoted name, which never is a keyword).
bool isword(placedtoken const& t, char const* word);

} // namespace cli
