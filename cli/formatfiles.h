// formatfiles.h - vesk --format: the script files named on the command line laid out in the
// one layout of vesk scripts (format.h) and written back, or with --check only listed when
// they would change; "-" formats standard input to standard output.
#pragma once

#include "options.h"

namespace cli {

// 0 when every file is in the layout (or was written in it), 1 with --check when a file would
// change, 2 when a file cannot be read or written.
int formatfiles(options const& opts);

} // namespace cli
