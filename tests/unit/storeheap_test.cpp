// storeheap_test.cpp - the counted heap of stored lists: allocations count against the limit,
// are refused beyond it, and count back when they are given back.
#include <gtest/gtest.h>

#include "storeheap.h"

namespace {

TEST(storeheap, CountsRefusesAtTheLimitAndCountsBack) {
  vesk::allocater* heap = vesk::storeheap();
  unsigned long long before = vesk::storeheapinuse();
  vesk::setstoreheaplimit(before + 1000);
  void* first = heap->alloc(600, "objlist::block");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(vesk::storeheapinuse(), before + 600);
  EXPECT_EQ(heap->alloc(600, "objlist::block"), nullptr); // would pass the limit
  EXPECT_EQ(vesk::storeheapinuse(), before + 600);
  void* second = heap->alloc(400, "objlist::block"); // exactly up to the limit
  ASSERT_NE(second, nullptr);
  heap->free(first);
  heap->free(second);
  EXPECT_EQ(vesk::storeheapinuse(), before);
  vesk::setstoreheaplimit(0);
  void* big = heap->alloc(1u << 30, "objlist::block"); // the default is far above this
  EXPECT_NE(big, nullptr);
  heap->free(big);
}

TEST(storeheap, ListsBuiltOnItReleaseThroughIt) {
  unsigned long long before = vesk::storeheapinuse();
  vesk::variable list(vesk::listtype, vesk::storeheap());
  for (int i = 0; i < 1000; ++i) list.add(static_cast<double>(i));
  EXPECT_GT(vesk::storeheapinuse(), before);
  EXPECT_EQ(list.index(777)->number(), 777);
  list.reset();
  EXPECT_EQ(vesk::storeheapinuse(), before);
}

} // namespace
