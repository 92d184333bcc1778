// debugadapter.h - `vesk --dap`: the debug adapter that an editor starts, speaking the Debug
// Adapter Protocol on standard input and output. Its client launches one script with the
// settings vesk takes on its command line, and steps through it.
#pragma once

namespace cli {

// Serves one client until it disconnects or closes standard input; the exit status of vesk.
int debugadapter();

} // namespace cli
