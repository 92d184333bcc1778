// allocationfaults.h - failing the library's own allocations on command, in the test build made
// with VESK_ALLOCFAULTS: every malloc, calloc, realloc and operator new of libveskdll's code is
// counted, and the chosen one (or every one from it on) fails as if the heap were exhausted.
// Hosts under test count their own allocaters' requests through failnext(), in the same count.
#pragma once

#include "vesk.h"

namespace vesk::faults {

// From now on the `nth` allocation counted (1 for the next one) fails, and with `onward` every
// later one too. Counting starts again at each call.
VESK_API void arm(long long nth, bool onward);
// No allocation fails any more; the counts stay readable.
VESK_API void disarm();
// Allocations counted, and failures injected, since the last arm().
VESK_API long long counted();
VESK_API long long injected();
// Counts one allocation of the caller's; true when it is to fail.
VESK_API bool failnext();

} // namespace vesk::faults
