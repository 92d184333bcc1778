// temporaries.h - storage for the lists built while one statement is evaluated: the operand
// stack's arena first and, once that is full, heap blocks; reset() gives all of it back at the
// start of the next statement. What one statement may take is bounded. Values that were stored
// into these lists (a called script assigning into a list it was given) are kept beside them,
// to be given back with them.
#pragma once

#include <cstddef>

#include "linearallocater.h"
#include "vesk.h"

namespace vesk {

constexpr std::size_t maxtemporarybytes = std::size_t{256} << 20;

class temporaries final : public allocater {
public:
  explicit temporaries(linearallocater* arena) : arena(arena) {}
  ~temporaries();
  temporaries(temporaries const&) = delete;
  temporaries& operator=(temporaries const&) = delete;

  // From the arena while it has room, then from the heap; null beyond maxtemporarybytes or the
  // store limit, whichever is lower.
  void* alloc(unsigned size, char const* tag) override;
  void free(void*) override {} // everything goes back at once, in reset()
  // Empties the arena and the heap blocks; the adopted values must have been taken first.
  void reset() {
    if (blocks != nullptr) releaseblocks();
    heapbytes = 0;
    if (arena != nullptr) arena->reset();
  }

  // A value stored into one of these lists; false without memory to remember it.
  bool adopt(variable const& value);
  int adoptedcount() const { return adopted; }
  variable const& adoptedvalue(int i) const { return adoptions[i]; }
  void forgetadopted() { adopted = 0; }

private:
  void releaseblocks();
  struct block {
    block* next;
  };
  linearallocater* arena;
  block* blocks = nullptr;
  std::size_t heapbytes = 0;
  variable* adoptions = nullptr;
  int adopted = 0;
  int adoptcapacity = 0;
};

} // namespace vesk
