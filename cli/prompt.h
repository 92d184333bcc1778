// prompt.h - the interactive session of vesk: one interpreter and its global store for the
// whole session, one run per entry.
#pragma once

#include "vesk.h"

namespace cli {

// Reads entries at the prompt until the end of input and runs each one on `engine`; each
// run may take at most `timeout` seconds (0: no limit). Returns the exit status, 0.
int prompt(vesk::interpreter& engine, double timeout);

} // namespace cli
