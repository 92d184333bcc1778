// Tests of the element list: blocks filled in turn, slots that never move, the cursor, indexing,
// named elements and a failed block allocation that leaves the header as it was.
#include "objlist.h"
#include "testallocaters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using vesk::objlist;
using vesktest::recordingallocater;

int valueat(void* element) {
  int v;
  std::memcpy(&v, element, sizeof v);
  return v;
}

// Elements fill a block before the next one is taken, each block has room for its share,
// appended elements never move, and clear() gives every block back.
TEST(objlist, ABlockFillsBeforeTheNextIsTakenAndClearGivesEveryBlockBack) {
  recordingallocater blocks;
  objlist list(sizeof(int), &blocks, 0);
  int const perblock = list.elementsperblock();
  ASSERT_GE(perblock, 1);
  std::vector<void*> slots;
  for (int i = 0; i < 3 * perblock + 1; ++i) {
    slots.push_back(list.append(&i));
    ASSERT_NE(slots.back(), nullptr);
    EXPECT_EQ(blocks.count("objlist::block"), i / perblock + 1) << i;
  }
  EXPECT_EQ(blocks.total(), blocks.count("objlist::block"));
  for (unsigned size : blocks.sizes["objlist::block"]) EXPECT_GE(size, perblock * sizeof(int));
  for (int i = 0; i < static_cast<int>(slots.size()); ++i) {
    EXPECT_EQ(list.index(i), slots[i]);
    EXPECT_EQ(valueat(slots[i]), i);
  }
  list.clear();
  EXPECT_EQ(blocks.outstanding(), 0);
  EXPECT_EQ(blocks.strayfrees, 0);
}

TEST(objlist, IndexOutsideTheListIsNull) {
  objlist list(sizeof(int), nullptr, 0);
  EXPECT_EQ(list.index(0), nullptr);
  for (int i = 0; i < 20; ++i) list.append(&i);
  EXPECT_EQ(list.index(-1), nullptr);
  EXPECT_EQ(list.index(20), nullptr);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(valueat(list.index(i)), i);
  list.clear();
}

TEST(objlist, CursorWalksEveryElementThenStaysAtTheEnd) {
  objlist list(sizeof(int), nullptr, 0);
  EXPECT_EQ(list.first(), nullptr);
  for (int i = 0; i < 19; ++i) list.append(&i);
  int expected = 0;
  for (void* e = list.first(); e != nullptr; e = list.next()) EXPECT_EQ(valueat(e), expected++);
  EXPECT_EQ(expected, 19);
  EXPECT_EQ(list.next(), nullptr);
  EXPECT_EQ(list.next(), nullptr);
  list.clear();
}

// The cursor may run off a block that was the last one; elements appended later are still
// reached by next(), also right after clear().
TEST(objlist, CursorContinuesIntoBlocksAppendedLater) {
  objlist list(sizeof(int), nullptr, 0);
  int more = list.elementsperblock(); // one block full
  for (int i = 0; i < more; ++i) list.append(&i);
  for (void* e = list.first(); e != nullptr; e = list.next()) {
  }
  list.append(&more);
  void* e = list.next();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(valueat(e), more);
  EXPECT_EQ(list.next(), nullptr);

  list.clear();
  EXPECT_EQ(list.next(), nullptr);
  for (int i = 100; i < 103; ++i) list.append(&i);
  e = list.next();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(valueat(e), 100);
  list.clear();
}

TEST(objlist, FailedBlockLeavesTheHeaderExactlyAsItWas) {
  recordingallocater blocks;
  objlist list(sizeof(int), &blocks, 0);
  int v = 7;
  blocks.failafter(0);
  unsigned char before[sizeof(objlist)];
  std::memcpy(before, &list, sizeof list);
  EXPECT_EQ(list.append(&v), nullptr);
  EXPECT_EQ(std::memcmp(before, &list, sizeof list), 0);

  blocks.succeed();
  int const full = list.elementsperblock(); // the next append needs a new block
  for (int i = 0; i < full; ++i) list.append(&i);
  list.first();
  list.next();
  blocks.failafter(0);
  std::memcpy(before, &list, sizeof list);
  EXPECT_EQ(list.append(&v), nullptr);
  EXPECT_EQ(list.appendnamed(&v, "x"), nullptr);
  EXPECT_EQ(std::memcmp(before, &list, sizeof list), 0);
  EXPECT_EQ(list.size(), full);
  EXPECT_EQ(blocks.outstanding(), 1);

  blocks.succeed();
  ASSERT_NE(list.append(&v), nullptr);
  EXPECT_EQ(valueat(list.index(full)), 7);
  list.clear();
  EXPECT_EQ(blocks.outstanding(), 0);
}

TEST(objlist, ElementsNeverMove) {
  objlist list(sizeof(int), nullptr, 0);
  std::vector<void*> held;
  for (int i = 0; i < 5000; ++i) held.push_back(list.append(&i));
  for (int i = 0; i < 5000; ++i) {
    ASSERT_EQ(list.index(i), held[static_cast<size_t>(i)]);
    ASSERT_EQ(valueat(held[static_cast<size_t>(i)]), i);
  }
  list.clear();
}

TEST(objlist, NamedElementsKeepTheFirstCharactersZeroPadded) {
  constexpr int namelength = 16;
  objlist list(namelength + static_cast<int>(sizeof(double)), nullptr, namelength);
  double value = 2.5;
  std::string longname(40, 'n');
  auto* stored = static_cast<char*>(list.appendnamed(&value, longname.c_str()));
  ASSERT_NE(stored, nullptr);
  char* element = static_cast<char*>(list.index(0));
  EXPECT_EQ(stored, element + namelength);
  EXPECT_EQ(std::string(element), std::string(namelength - 1, 'n'));
  double back;
  std::memcpy(&back, stored, sizeof back);
  EXPECT_EQ(back, 2.5);

  list.appendnamed(&value, "ab");
  element = static_cast<char*>(list.index(1));
  EXPECT_STREQ(element, "ab");
  for (int i = 2; i < namelength; ++i) EXPECT_EQ(element[i], '\0') << i;
  list.clear();
}

TEST(objlist, ClearGivesEveryBlockBackAndLeavesAUsableList) {
  recordingallocater blocks;
  objlist list(sizeof(int), &blocks, 0);
  for (int i = 0; i < 100; ++i) list.append(&i);
  int const taken = blocks.outstanding();
  EXPECT_GT(taken, 0);
  list.clear();
  EXPECT_EQ(blocks.outstanding(), 0);
  EXPECT_EQ(blocks.frees["objlist::block"], taken);
  EXPECT_EQ(list.size(), 0);
  EXPECT_EQ(list.first(), nullptr);
  int v = 42;
  list.append(&v);
  EXPECT_EQ(valueat(list.first()), 42);
  list.clear();
  EXPECT_EQ(blocks.outstanding(), 0);
  EXPECT_EQ(blocks.strayfrees, 0);
}

} // namespace
