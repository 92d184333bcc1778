// scripttokens.h - what the adapter reads of script text with the engine's own tokenizer:
// whether a line holds a statement (a breakpoint there can be hit) and a literal a client
// types as a variable's new value.
#pragma once

#include <string>

namespace dap {

// False for a line that is blank or holds only comments, which a run skips.
bool hasstatement(std::string const& line);

// A value typed by the client: a number (with an optional minus) or a text in double quotes.
struct literal {
  bool isnumber = false;
  double number = 0;
  std::string text;
};
// False when `typed` is anything else, an expression included.
bool readliteral(std::string const& typed, literal& out);

} // namespace dap
