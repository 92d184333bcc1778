// temporaries.cpp - the arena first, then heap blocks chained for release in one sweep.
#include "temporaries.h"

#include <algorithm>
#include <cstdlib>

#include "storeheap.h"

namespace vesk {

namespace {
constexpr std::size_t headersize = 16; // keeps what follows the header 16-byte aligned

// A host that lowers the store limit bounds a statement's temporaries by it too.
std::size_t allowedbytes() {
  return static_cast<std::size_t>(
      std::min<unsigned long long>(maxtemporarybytes, storeheaplimit()));
}
} // namespace

void* temporaries::alloc(unsigned size, char const* tag) {
  if (arena != nullptr)
    if (void* memory = arena->alloc(size, tag)) return memory;
  if (heapbytes + size > allowedbytes()) {
    countrefusal();
    return nullptr;
  }
  auto header = static_cast<block*>(malloc(headersize + size));
  if (header == nullptr) return nullptr;
  header->next = blocks;
  blocks = header;
  heapbytes += size;
  return reinterpret_cast<char*>(header) + headersize;
}

temporaries::~temporaries() {
  reset();
  ::free(adoptions);
}

bool temporaries::adopt(variable const& value) {
  if (adopted == adoptcapacity) {
    int larger = adoptcapacity ? adoptcapacity * 2 : 8;
    void* grown = realloc(adoptions, sizeof(variable) * static_cast<std::size_t>(larger));
    if (grown == nullptr) return false;
    adoptions = static_cast<variable*>(grown);
    adoptcapacity = larger;
  }
  adoptions[adopted++] = value;
  return true;
}

void temporaries::releaseblocks() {
  while (blocks != nullptr) {
    block* next = blocks->next;
    ::free(blocks);
    blocks = next;
  }
}

} // namespace vesk
