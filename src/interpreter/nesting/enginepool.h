// enginepool.h - nested engines kept for reuse, a few per family: a script call or a parallel
// part takes one instead of building a fresh operand stack, arena, temporaries and lookup
// memory. Invariant: a kept engine has been renewed to the state a fresh one has, and is taken
// and given back under the statement lock or while no other thread of the family runs.
#pragma once

namespace vesk {

class runengine;
struct family;

struct enginepool {
  static constexpr int kept = 8;
  runengine* spares[kept] = {};
  int count = 0;
};

// Destroys the engines kept, at the end of the family.
void releasepool(family* shared);

} // namespace vesk
