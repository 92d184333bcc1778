// indexhint_test.cpp - indexing long lists by remembered positions: any order of access gives
// the element at that position, also across lists, after a list gave its blocks back and when
// a new list takes the same storage.
#include <gtest/gtest.h>

#include <random>

#include "objlist.h"
#include "vesk.h"

namespace {

void fill(vesk::variable& list, int n, double offset) {
  for (int i = 0; i < n; ++i) list.add(i + offset);
}

TEST(indexhint, AnyOrderOfAccessFindsTheRightElements) {
  vesk::variable a(vesk::listtype, nullptr), b(vesk::listtype, nullptr);
  fill(a, 5000, 0);
  fill(b, 3000, 100000);
  std::mt19937 random(7);
  for (int step = 0; step < 20000; ++step) {
    int i = static_cast<int>(random() % 5000), j = static_cast<int>(random() % 3000);
    ASSERT_EQ(a.index(i)->number(), i);
    ASSERT_EQ(b.index(j)->number(), j + 100000);
    // An outer walk and an inner walk interleaved, as nested loops do.
    ASSERT_EQ(a.index(step % 5000)->number(), step % 5000);
  }
  a.reset();
  b.reset();
}

TEST(indexhint, AListThatGaveItsBlocksBackIsWalkedAfresh) {
  for (int round = 0; round < 50; ++round) {
    vesk::variable list(vesk::listtype, nullptr);
    fill(list, 1000, round);
    ASSERT_EQ(list.index(900)->number(), 900 + round); // leaves a hint deep in the list
    list.reset();
    fill(list, 1000, -round); // the new blocks may well be where the old ones were
    ASSERT_EQ(list.index(950)->number(), 950 - round);
    list.reset();
  }
}

} // namespace

namespace {

// Cutting a list back (an in-place append that failed) leaves exactly its first elements, and
// the list goes on growing from there.
TEST(truncate, KeepsTheFirstElementsAndTheListStaysUsable) {
  vesk::objlist list(sizeof(double), nullptr, 0);
  for (int i = 0; i < 100; ++i) {
    double value = i;
    list.append(&value);
  }
  ASSERT_NE(list.index(99), nullptr); // leaves a hint near the end
  list.truncate(21);
  EXPECT_EQ(list.size(), 21);
  EXPECT_EQ(*static_cast<double*>(list.index(20)), 20);
  EXPECT_EQ(list.index(21), nullptr);
  double value = -1;
  list.append(&value);
  EXPECT_EQ(*static_cast<double*>(list.index(21)), -1);
  int seen = 0;
  for (void* e = list.first(); e != nullptr; e = list.next()) ++seen;
  EXPECT_EQ(seen, 22);
  list.truncate(0);
  EXPECT_EQ(list.size(), 0);
  list.clear();
}

} // namespace
