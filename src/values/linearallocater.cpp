// linearallocater.cpp - the arena: a bump pointer over caller memory, released as a whole.
#include "linearallocater.h"

linearallocater::linearallocater(void* memory, int bytes)
    : base(memory), cursor(static_cast<char*>(memory)), size(0), spaceleft(0) {
  size = (memory != nullptr && bytes > 0) ? bytes : 0;
  reset();
}


void* linearallocater::alloc(unsigned request, char const*) {
  // Rounded in 64 bits, so that requests near the top of the unsigned range cannot wrap.
  unsigned long long rounded = (request + 7ull) & ~7ull;
  if (rounded > static_cast<unsigned long long>(spaceleft)) return nullptr;
  void* result = cursor;
  cursor += rounded;
  spaceleft -= static_cast<int>(rounded);
  return result;
}

void linearallocater::free(void*) {}
