// stacklimit.cpp - where the current thread's stack ends (GetCurrentThreadStackLimits), less
// the guard pages that the system keeps at the bottom.
#include <windows.h>

#include <cstdint>

#include "stacklimit.h"

namespace vesk::platform {

namespace {
// The guard region below the committed stack and what the system keeps for handling a stack
// overflow: never usable by the thread's own frames.
constexpr std::uintptr_t guardbytes = 64 * 1024;
} // namespace

std::uintptr_t lowestusablestackaddress() {
  ULONG_PTR lowest = 0, highest = 0;
  GetCurrentThreadStackLimits(&lowest, &highest);
  return lowest == 0 ? 0 : static_cast<std::uintptr_t>(lowest) + guardbytes;
}

} // namespace vesk::platform
