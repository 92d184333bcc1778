// recycler.cpp - each piece carries its size in a header, so that free knows its class; a
// size that finds no class, or a class that is full, goes to and from the heap directly.
#include "recycler.h"

#include <cstdlib>

namespace vesk {

namespace {
constexpr std::size_t headersize = 16; // keeps what follows the header 16-byte aligned
}

recycler::~recycler() {
  for (sizeclass& c : classes)
    while (c.kept != nullptr) {
      piece* next = c.kept->next;
      std::free(reinterpret_cast<char*>(c.kept) - headersize);
      c.kept = next;
    }
}

// The class of `size`, taking an unused one for a size not seen before; null when all are
// taken by other sizes.
recycler::sizeclass* recycler::classof(unsigned size) {
  for (sizeclass& c : classes)
    if (c.size == size) return &c;
  for (sizeclass& c : classes)
    if (c.size == 0) {
      c.size = size;
      return &c;
    }
  return nullptr;
}

void* recycler::alloc(unsigned size, char const*) {
  if (size < sizeof(piece)) size = sizeof(piece);
  sizeclass* c = classof(size);
  if (c != nullptr && c->kept != nullptr) {
    piece* p = c->kept;
    c->kept = p->next;
    --c->count;
    return p;
  }
  auto header = static_cast<unsigned*>(std::malloc(headersize + size));
  if (header == nullptr) return nullptr;
  *header = size;
  return reinterpret_cast<char*>(header) + headersize;
}

void recycler::free(void* pointer) {
  if (pointer == nullptr) return;
  char* start = static_cast<char*>(pointer) - headersize;
  unsigned size = *reinterpret_cast<unsigned*>(start);
  sizeclass* c = classof(size);
  if (c == nullptr || c->count >= perclass) {
    std::free(start);
    return;
  }
  auto p = static_cast<piece*>(pointer);
  p->next = c->kept;
  c->kept = p;
  ++c->count;
}

} // namespace vesk
