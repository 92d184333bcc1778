// check.h - vesk --check: the script files named on the command line are read as a run would
// read them, and nothing runs. Diagnostics go where a run's go, in each file's line order.
#pragma once

#include "messages.h"
#include "options.h"
#include "vesk.h"

namespace cli {

// Checks every file of opts.checked with `engine` (its functions and script folders set up
// as for a run): 0 when no file has an error (nor, with -W, a warning), 1 when one has, 2
// when a file cannot be found or read.
int checkscripts(vesk::interpreter& engine, options const& opts, char separator, messages& lines);

} // namespace cli
