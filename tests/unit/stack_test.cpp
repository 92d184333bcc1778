// Tests of the operand stack: positions from the top, the 128-slot limit, typed reads of
// missing positions, pop, negate, the arena and a stack that could not get its memory.
#include "stackaccess.h"
#include "vesk.h"

#include <gtest/gtest.h>

#include <new>

namespace {

using vesk::stack;
using vesk::stackaccess;
using vesk::variable;

TEST(stack, HoldsExactly128Values) {
  stack s;
  for (int i = 0; i < 128; ++i) ASSERT_NE(s.push(static_cast<double>(i)), nullptr) << i;
  EXPECT_EQ(s.push(1.0), nullptr);
  EXPECT_EQ(s.push("x"), nullptr);
  EXPECT_EQ(s.push(vesk::listtype), nullptr);
  variable v(2.0);
  EXPECT_EQ(s.push(&v), nullptr);
  EXPECT_EQ(s.numelements(), 128);
  EXPECT_EQ(s.number(0), 127.0);
  EXPECT_EQ(s.number(127), 0.0);
}

TEST(stack, MissingPositionsAreNeutral) {
  stack s;
  EXPECT_EQ(s.top(0), nullptr);
  EXPECT_EQ(s.string(0), nullptr);
  EXPECT_EQ(s.number(0), 0.0);
  EXPECT_EQ(s.type(0), vesk::undefinedtype);
  EXPECT_FALSE(s.isnumber(0));
  EXPECT_FALSE(s.isof(vesk::undefinedtype, 0));
  s.push(1.0);
  EXPECT_EQ(s.top(1), nullptr);
  EXPECT_EQ(s.top(-1), nullptr);
}

TEST(stack, PositionsCountFromTheTop) {
  stack s;
  s.push(1.0);
  s.push("a");
  EXPECT_STREQ(s.top(0)->string(), "a");
  EXPECT_TRUE(s.isstring(0));
  EXPECT_STREQ(s.string(0), "a");
  EXPECT_TRUE(s.isnumber(1));
  EXPECT_EQ(s.string(1), nullptr);
  EXPECT_EQ(s.number(0), 0.0);
  EXPECT_EQ(s.number(1), 1.0);
  EXPECT_EQ(s.type(1), vesk::numbertype);
  EXPECT_TRUE(s.isof(vesk::stringtype, 0));
  s.push(vesk::listtype);
  s.push(vesk::namedlisttype);
  EXPECT_TRUE(s.isnamedlist(0));
  EXPECT_TRUE(s.islist(1));
  EXPECT_FALSE(s.islist(0));
}

TEST(stack, PushedRecordsAreWholeCopies) {
  stack s;
  variable v("flagged");
  v.processed(true);
  v.setuserdata(11);
  variable* pushed = s.push(&v);
  EXPECT_NE(pushed, &v);
  EXPECT_TRUE(pushed->isprocessed());
  EXPECT_EQ(pushed->getuserdata(), 11);
  EXPECT_STREQ(pushed->string(), "flagged");
  EXPECT_EQ(std::string(s.push(std::string(140, 'p').c_str())->string()).size(), 127u);
  EXPECT_EQ(s.push(static_cast<variable*>(nullptr)), nullptr);
  EXPECT_EQ(s.push(static_cast<char const*>(nullptr)), nullptr);
  EXPECT_EQ(s.numelements(), 2);
}

TEST(stack, PopRemovesFromTheTopAndNeverBelowEmpty) {
  stack s;
  s.push(1.0);
  s.push(2.0);
  s.push(3.0);
  s.pop(1);
  EXPECT_EQ(s.number(0), 2.0);
  s.pop(5);
  EXPECT_EQ(s.numelements(), 0);
  s.push(4.0);
  s.pop(0);
  EXPECT_EQ(s.numelements(), 1);
}

TEST(stack, NegateOnlyNumbers) {
  stack s;
  s.negate(); // empty: nothing
  variable two(2.0);
  two.seterror(true);
  two.setuserdata(4);
  s.push(&two);
  s.negate();
  EXPECT_EQ(s.number(0), -2.0);
  EXPECT_FALSE(s.top(0)->haserror());
  EXPECT_EQ(s.top(0)->getuserdata(), 0);
  s.push("t");
  s.negate();
  EXPECT_STREQ(s.string(0), "t");
}

TEST(stack, PushedListsTakeTheHeapNotTheArena) {
  stack s;
  linearallocater* arena = stackaccess::arena(s);
  ASSERT_NE(arena, nullptr);
  int before = arena->available();
  variable* list = s.push(vesk::listtype);
  for (int i = 0; i < 20; ++i) list->add(1.0);
  EXPECT_EQ(arena->available(), before);
  list->reset();
}

TEST(stack, ResetEmptiesAndRewindsTheArena) {
  stack s(256);
  linearallocater* arena = stackaccess::arena(s);
  EXPECT_EQ(arena->capacity(), 256);
  void* base = arena->alloc(sizeof(variable), "list");
  ASSERT_NE(base, nullptr);
  arena->alloc(64, "x");
  s.push(1.0);
  s.reset();
  EXPECT_EQ(s.numelements(), 0);
  EXPECT_EQ(arena->alloc(8, "list"), base);
}

TEST(stack, ArenaListsComeFromTheArena) {
  stack s(4096);
  linearallocater* arena = stackaccess::arena(s);
  void* memory = arena->alloc(sizeof(variable), "namedlist");
  auto* named = new (memory) variable(vesk::namedlisttype, arena);
  named->add(1.0, "a");
  named->add(2.0, "b");
  EXPECT_EQ(named->find("b")->number(), 2.0);
  s.push(named);
  EXPECT_TRUE(s.isnamedlist(0));
  EXPECT_EQ(s.top(0)->find("a")->number(), 1.0);
  int used = 4096 - arena->available();
  EXPECT_GT(used, static_cast<int>(sizeof(variable)));
  s.reset(); // everything vanishes with the arena; nothing to give back
  EXPECT_EQ(arena->available(), 4096);
}

TEST(stack, ArenaExhaustionLeavesListsUnchanged) {
  stack s(static_cast<int>(sizeof(variable)));
  linearallocater* arena = stackaccess::arena(s);
  auto* list = new (arena->alloc(sizeof(variable), "list")) variable(vesk::listtype, arena);
  EXPECT_EQ(list->add(1.0), nullptr);
  EXPECT_EQ(list->count(), 0);
}

TEST(stack, ZeroByteArenaStillHasSlots) {
  stack s(0);
  EXPECT_EQ(stackaccess::capacity(s), 128);
  ASSERT_NE(stackaccess::arena(s), nullptr);
  EXPECT_EQ(stackaccess::arena(s)->alloc(8, "list"), nullptr);
  EXPECT_NE(s.push(1.0), nullptr);
}

// A size that cannot be had gives a stack without slots and an empty arena (or none).
TEST(stack, WithoutMemoryEveryPushAndArenaAllocationFails) {
  stack s(-1);
  EXPECT_EQ(stackaccess::capacity(s), 0);
  EXPECT_EQ(s.push(1.0), nullptr);
  EXPECT_EQ(s.push("x"), nullptr);
  EXPECT_EQ(s.push(vesk::listtype), nullptr);
  variable v(1.0);
  EXPECT_EQ(s.push(&v), nullptr);
  EXPECT_EQ(s.numelements(), 0);
  EXPECT_EQ(s.top(0), nullptr);
  s.pop(1);
  s.negate();
  s.reset();
  if (linearallocater* arena = stackaccess::arena(s)) {
    EXPECT_EQ(arena->alloc(8, "list"), nullptr);
  }
}

TEST(stack, AssignmentSharesSlotsAndArena) {
  stack original;
  original.push(5.0);
  auto* copy = new stack(-1);
  linearallocater* own = stackaccess::arena(*copy);
  *copy = original;
  EXPECT_EQ(copy->numelements(), 1);
  EXPECT_EQ(copy->top(0), original.top(0));
  EXPECT_EQ(stackaccess::arena(*copy), stackaccess::arena(original));
  EXPECT_EQ(stackaccess::owner(*copy), nullptr);
  // Only one of the two may be destroyed: the copy's storage is given up without destroying.
  delete own;
  ::operator delete(copy);
}

} // namespace
