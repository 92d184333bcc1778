// recycler_test.cpp - the allocater behind call parameters: what is given back serves the next
// request of its size, sizes beyond its classes and pieces beyond a class's room go to the heap
// and back, and a named list built on it behaves as on the heap (the sanitizer build checks
// that nothing leaks or is used after it was given back).
#include "recycler.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

#include "vesk.h"

namespace vesk {
namespace {

TEST(recycler, GivenBackPiecesServeTheNextRequestOfTheirSize) {
  recycler pool;
  void* a = pool.alloc(100, "a");
  void* b = pool.alloc(200, "b");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  std::memset(a, 1, 100);
  std::memset(b, 2, 200);
  pool.free(a);
  pool.free(b);
  EXPECT_EQ(pool.alloc(200, "b again"), b);
  EXPECT_EQ(pool.alloc(100, "a again"), a);
  void* c = pool.alloc(100, "fresh");
  EXPECT_NE(c, a);
  pool.free(a);
  pool.free(b);
  pool.free(c);
  pool.free(nullptr);
}

TEST(recycler, ManySizesAndManyPiecesStayUsable) {
  recycler pool;
  std::vector<void*> pieces;
  // More sizes than it keeps classes for, and more pieces of each than a class keeps.
  for (unsigned size = 8; size < 8 + 10 * 16; size += 16)
    for (int i = 0; i < 40; ++i) {
      void* p = pool.alloc(size, "piece");
      ASSERT_NE(p, nullptr);
      std::memset(p, 0x5a, size);
      pieces.push_back(p);
    }
  EXPECT_EQ(std::set<void*>(pieces.begin(), pieces.end()).size(), pieces.size());
  for (void* p : pieces) pool.free(p);
  for (int round = 0; round < 3; ++round)
    for (unsigned size = 8; size < 8 + 10 * 16; size += 16) pool.free(pool.alloc(size, "again"));
}

TEST(recycler, ANamedListOnItBehavesAsOnTheHeap) {
  recycler pool;
  for (int round = 0; round < 3; ++round) {
    parameters params(&pool);
    for (int i = 0; i < 20; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "p%d", i);
      variable value(static_cast<double>(i));
      ASSERT_NE(params.add(&value, name), nullptr);
    }
    ASSERT_NE(params.find("p7"), nullptr);
    EXPECT_EQ(params.find("p7")->number(), 7);
    EXPECT_EQ(params.count(), 20);
    EXPECT_TRUE(params.remove("p3"));
    EXPECT_EQ(params.find("p3"), nullptr);
    params.reset();
  }
}

} // namespace
} // namespace vesk
