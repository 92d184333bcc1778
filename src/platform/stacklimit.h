// stacklimit.h - the one system-specific piece behind stackroom: where the current thread's
// stack ends. Each system's layer (posix/, windows/) defines it; stackroom.cpp does the rest.
#pragma once

#include <cstdint>

namespace vesk::platform {

// The lowest address the current thread's frames may use, or 0 when it cannot be told.
std::uintptr_t lowestusablestackaddress();

} // namespace vesk::platform
