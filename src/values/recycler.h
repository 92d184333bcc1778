// recycler.h - an allocater that keeps what is given back for the next request of the same
// size: the parameter lists of calls take and give back the same few block and node sizes on
// every call, which then costs no trip to the heap. Not locked: its user serialises access.
#pragma once

#include <cstddef>

#include "vesk.h"

namespace vesk {

class recycler final : public allocater {
public:
  recycler() = default;
  ~recycler();
  recycler(recycler const&) = delete;
  recycler& operator=(recycler const&) = delete;

  void* alloc(unsigned size, char const* tag) override;
  void free(void* pointer) override;

private:
  static constexpr int sizes = 4;    // distinct sizes kept
  static constexpr int perclass = 16; // pieces kept of each size
  struct piece {
    piece* next;
  };
  struct sizeclass {
    unsigned size = 0; // 0: unused
    int count = 0;
    piece* kept = nullptr;
  };
  sizeclass* classof(unsigned size);
  sizeclass classes[sizes];
};

} // namespace vesk
