// completion.h - what Tab completes at the prompt: the name being typed before the cursor,
// among the keywords, the functions and the global variables, and how the candidates are
// listed. Outside a name, and inside a text, Tab inserts itself (blocks are indented with it).
#pragma once

#include <string>
#include <vector>

namespace cli {

// The keywords of the language, and the words that its block lines read.
std::vector<std::string> const& keywords();

// Where the name that ends at `cursor` in `line` begins; std::string::npos when there is no
// name to complete there.
std::size_t namestart(std::string const& line, std::size_t cursor);

// What completing `word` inserts: the rest of its only match, or what all its matches share
// beyond it. `matches` receives every candidate that begins with `word`, sorted, once each.
std::string complete(std::string const& word, std::vector<std::string> const& candidates,
                     std::vector<std::string>& matches);

// The lines that list `names` in columns within `width` characters, down each column first as
// ls lists files: every column as wide as the longest name and two blanks more. A name wider
// than `width` has a line of its own.
std::vector<std::string> columns(std::vector<std::string> const& names, std::size_t width);

} // namespace cli
