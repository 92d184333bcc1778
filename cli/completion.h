// completion.h - what Tab completes at the prompt: the name being typed before the cursor,
// among the keywords, the functions and the global variables. Outside a name, and inside a
// text, Tab inserts itself (blocks are indented with it).
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

} // namespace cli
