// storeheap.h - the heap storage of the lists that the engine stores (deep copies made by
// assignments): plain malloc, counted against a process-wide limit, so that a script that makes
// the store grow without end fails with a message instead of exhausting the machine.
#pragma once

#include <cstddef>

#include "vesk.h"

namespace vesk {

constexpr unsigned long long defaultstorelimit = 1ull << 32; // 4 GiB

allocater* storeheap();
// Bytes of stored lists the engine may hold at once (0: the default).
void setstoreheaplimit(unsigned long long bytes);
unsigned long long storeheaplimit();
unsigned long long storeheapinuse();
// Allocations refused for a limit so far, of stored lists and of temporaries alike: tells a
// test that a run ran out of the memory it may have.
unsigned long long storeheaprefusals();
void countrefusal();

} // namespace vesk
