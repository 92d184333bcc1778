// nodebugadapter.cpp - `vesk --dap` in a build made without nlohmann-json, which the debug
// adapter needs: it says so and fails.
#include <cstdio>

#include "debugadapter.h"

namespace cli {

int debugadapter() {
  std::fputs("vesk: this vesk was built without its debug adapter (it needs nlohmann-json)\n",
             stderr);
  return 2;
}

} // namespace cli
