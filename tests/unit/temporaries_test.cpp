// temporaries_test.cpp - the storage of one statement's lists: the arena first, then the heap
// up to a bound, all of it given back by reset().
#include <gtest/gtest.h>

#include <vector>

#include "temporaries.h"

namespace {

TEST(temporaries, ArenaFirstThenHeapUpToTheBoundAndAllBackOnReset) {
  std::vector<char> memory(1024);
  linearallocater arena(memory.data(), static_cast<int>(memory.size()));
  vesk::temporaries storage(&arena);
  char* first = static_cast<char*>(storage.alloc(512, "list"));
  EXPECT_EQ(first, memory.data()); // from the arena while it has room
  char* beyond = static_cast<char*>(storage.alloc(1024, "list"));
  ASSERT_NE(beyond, nullptr); // the arena is short of room: the heap takes over
  EXPECT_TRUE(beyond < memory.data() || beyond >= memory.data() + memory.size());
  constexpr unsigned chunk = 1 << 20;
  std::size_t taken = 1024;
  while (storage.alloc(chunk, "objlist::block") != nullptr) taken += chunk;
  EXPECT_LE(taken, vesk::maxtemporarybytes);
  EXPECT_GT(taken + 2 * chunk, vesk::maxtemporarybytes);
  storage.reset(); // gives the heap back (the leak checker sees it) and rewinds the arena
  EXPECT_EQ(storage.alloc(8, "list"), memory.data());
  EXPECT_NE(storage.alloc(chunk, "list"), nullptr);
}

} // namespace
