// prompt.h - the interactive session of vesk: one interpreter and its global store for the
// whole session, one run per entry.
#pragma once

#include <string>
#include <vector>

#include "messages.h"
#include "vesk.h"

namespace cli {

// Reads entries at the prompt until the end of input and runs each one on `engine`; each
// run may take at most `timeout` seconds (0: no limit). The value of an entry that is an
// expression goes to `log`; `written` is flushed after each entry. `functions` are the
// function names that Tab completes, besides keywords and global variables. Returns the exit
// status, 0.
int prompt(vesk::interpreter& engine, double timeout, std::vector<std::string> functions,
           vesk::logfunc log, messages& written);

} // namespace cli
