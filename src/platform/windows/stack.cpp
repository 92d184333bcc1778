// stack.cpp - how much of the current thread's stack is left: the lowest address of the stack
// (GetCurrentThreadStackLimits) is looked up once per thread, and the room is the distance from
// the caller's frame to it, less the guard pages that the system keeps at the bottom.
#include <windows.h>

#include <climits>
#include <cstdint>

#include "platform/platform.h"

namespace vesk::platform {

namespace {

// The guard region below the committed stack and what the system keeps for handling a stack
// overflow: never usable by the thread's own frames.
constexpr std::uintptr_t guardbytes = 64 * 1024;

std::uintptr_t stacklimit() {
  ULONG_PTR lowest = 0, highest = 0;
  GetCurrentThreadStackLimits(&lowest, &highest);
  return lowest == 0 ? 0 : static_cast<std::uintptr_t>(lowest) + guardbytes;
}

constexpr std::uintptr_t notlookedup = 1;
thread_local std::uintptr_t lowest = notlookedup;

} // namespace

unsigned long stackroom() {
  auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  if (lowest == notlookedup) lowest = stacklimit();
  if (lowest == 0 || here <= lowest) return lowest == 0 ? ULONG_MAX : 0;
  std::uintptr_t room = here - lowest;
  return room > ULONG_MAX ? ULONG_MAX : static_cast<unsigned long>(room);
}

} // namespace vesk::platform
