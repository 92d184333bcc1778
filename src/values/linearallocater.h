// linearallocater.h - the arena allocator of the operand stack: hands out 8-byte multiples of a
// caller's memory block from a moving cursor and takes everything back at once with reset().
// It never owns the memory; free() of a single piece does nothing.
#pragma once

#include "vesk.h"

class linearallocater final : public vesk::allocater {
public:
  // Serves `size` bytes of `memory`. A null memory or a negative size gives an empty arena.
  linearallocater(void* memory, int size);

  // Everything handed out is free again; the next alloc returns the base.
  void reset() {
    cursor = static_cast<char*>(base);
    spaceleft = size;
  }

  // `size` rounded up to a multiple of 8 from the cursor, or null (and no change) when that
  // does not fit in the space left. The tag is ignored.
  void* alloc(unsigned size, char const* tag) override;
  void free(void* pointer) override; // does nothing

  void* memory() const { return base; }
  int capacity() const { return size; }
  int available() const { return spaceleft; }

private:
  void* base;
  char* cursor;
  int size;
  int spaceleft;
};
