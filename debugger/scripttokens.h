// scripttokens.h - what the adapter reads of script text with the engine's own tokenizer:
// whether a line holds a statement (a breakpoint there can be hit).
#pragma once

#include <string>

namespace dap {

// False for a line that is blank or holds only comments, which a run skips.
bool hasstatement(std::string const& line);

} // namespace dap
