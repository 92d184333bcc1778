// Tests of the arena allocator: rounding to 8, exact fill, refusal without change, rewinding.
#include "linearallocater.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

namespace {

struct arena64 : ::testing::Test {
  alignas(8) unsigned char memory[64];
  linearallocater arena{memory, 64};
  unsigned char* at(int offset) { return memory + offset; }
};

TEST_F(arena64, RoundsToEightAndFillsExactly) {
  EXPECT_EQ(arena.alloc(1, "x"), at(0));
  EXPECT_EQ(arena.alloc(8, "x"), at(8));
  EXPECT_EQ(arena.available(), 48);
  EXPECT_EQ(arena.alloc(49, "x"), nullptr); // rounds to 56, only 48 left
  EXPECT_EQ(arena.available(), 48);
  EXPECT_EQ(arena.alloc(48, "x"), at(16)); // exactly fills the rest
  EXPECT_EQ(arena.available(), 0);
  EXPECT_EQ(arena.alloc(1, "x"), nullptr);
}

TEST_F(arena64, ResetRewindsToTheBase) {
  arena.alloc(24, nullptr);
  arena.alloc(24, nullptr);
  arena.reset();
  EXPECT_EQ(arena.available(), 64);
  EXPECT_EQ(arena.alloc(3, nullptr), at(0));
}

TEST_F(arena64, ZeroBytesReturnTheCursorWithoutMoving) {
  arena.alloc(5, nullptr);
  EXPECT_EQ(arena.alloc(0, nullptr), at(8));
  EXPECT_EQ(arena.alloc(0, nullptr), at(8));
  EXPECT_EQ(arena.available(), 56);
}

TEST_F(arena64, FreeChangesNothing) {
  void* first = arena.alloc(16, nullptr);
  arena.free(first);
  arena.free(nullptr);
  EXPECT_EQ(arena.available(), 48);
  EXPECT_EQ(arena.alloc(8, nullptr), at(16));
}

TEST_F(arena64, EveryResultIsEightAligned) {
  for (unsigned request : {1u, 3u, 7u, 9u, 15u, 2u}) {
    auto* p = static_cast<unsigned char*>(arena.alloc(request, nullptr));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ((p - memory) % 8, 0);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 8, 0u);
  }
}

TEST_F(arena64, HugeRequestsDoNotWrapAround) {
  EXPECT_EQ(arena.alloc(UINT_MAX, nullptr), nullptr);
  EXPECT_EQ(arena.alloc(UINT_MAX - 6, nullptr), nullptr);
  EXPECT_EQ(arena.available(), 64);
}

TEST(linearallocater, WithoutMemoryEverythingButZeroBytesFails) {
  linearallocater none(nullptr, 100);
  EXPECT_EQ(none.capacity(), 0);
  EXPECT_EQ(none.alloc(1, nullptr), nullptr);
  alignas(8) unsigned char memory[16];
  linearallocater negative(memory, -5);
  EXPECT_EQ(negative.available(), 0);
  EXPECT_EQ(negative.alloc(8, nullptr), nullptr);
}

TEST(linearallocater, WorksThroughTheInterface) {
  alignas(8) unsigned char memory[32];
  linearallocater arena(memory, 32);
  vesk::allocater& generic = arena;
  EXPECT_EQ(generic.alloc(10, "list"), memory);
  generic.free(memory);
  EXPECT_EQ(arena.available(), 16);
}

} // namespace
