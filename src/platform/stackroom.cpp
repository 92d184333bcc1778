// stackroom.cpp - how much of the current thread's stack is left: the lowest usable address is
// looked up once per thread, and the room is the distance from the caller's frame to it.
#include <climits>
#include <cstdint>

#include "platform.h"
#include "stacklimit.h"

namespace vesk::platform {

namespace {
constexpr std::uintptr_t notlookedup = 1;
// Constant-initialised, so that reading it costs no per-access initialisation check.
thread_local std::uintptr_t lowest = notlookedup;
} // namespace

unsigned long stackroom() {
  auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  if (lowest == notlookedup) lowest = lowestusablestackaddress();
  if (lowest == 0 || here <= lowest) return lowest == 0 ? ULONG_MAX : 0;
  std::uintptr_t room = here - lowest;
  return room > ULONG_MAX ? ULONG_MAX : static_cast<unsigned long>(room);
}

} // namespace vesk::platform
