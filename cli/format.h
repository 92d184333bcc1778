// format.h - the one layout of vesk scripts (vesk --format and the language server): block
// bodies indented by two spaces a level, one space around binary operators and after commas,
// no blanks at the ends of lines and at most one blank line in a row; comments, texts, names
// and line endings stay as they were written. A line that does not parse, or whose tokens
// would read differently, is kept exactly as it was.
#pragma once

#include <string>

namespace cli {

// The text of a whole script, formatted. A fragment (a part of a script, as an editor hands
// one over) keeps the indentation of its first line that holds something as the base of its
// blocks; a whole script starts at the left margin.
std::string formatscript(std::string const& text, bool fragment = false);

// The same with only the lines `first` to `last` (counted from 0) formatted; the others are
// kept as they are, though blocks are matched through them.
std::string formatlines(std::string const& text, int first, int last);

} // namespace cli
