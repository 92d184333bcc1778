// reusedinterpreters_test.cpp - nested interpreters that are reused keep nothing of their last
// run: two scripts with different blocks, called alternately and from within each other, give
// the results of fresh interpreters (block matching, control stack, lookup memory).
#include "vesk.h"

#include <gtest/gtest.h>

#include "scratchfolder.h"

namespace {

class reusedinterpreters : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(scratch.ready());
    // Lines where the other script has an "end" or a "next" are plain statements here. (A
    // script's name must not be a variable's: names are scripts before they are variables.)
    // The longest script, so that the others reuse the table of its block matching.
    scratch.writefile("parity.vk", "if k % 2 == 0\n  evens = evens + 1\nelse\n"
                                   "  odds = odds + 1\nend\n; counts\n; both\n");
    scratch.writefile("loops.vk", "for j = 1 to 3\n  inner = inner + 1\nnext\n"
                                  "repeat\n  k = k - 1\nuntil k <= 0\nparity k = 2\n");
    // Its "else" and "end" are one line further down than in parity.vk.
    scratch.writefile("twice.vk", "if 0\n  inner = inner - 1000\n  inner = inner - 1000\n"
                                  "else\n  inner = inner + 20\nend\n");
    engine.setscriptpath(scratch.root.c_str(), nullptr);
  }
  void TearDown() override { store.reset(); }
  double number(char const* name) {
    vesk::variable* v = store.find(name);
    return v != nullptr && v->isnumber() ? v->number() : -1;
  }
  vesktest::scratchfolder scratch;
  vesk::variables store;
  vesk::interpreter engine{&store, nullptr};
};

TEST_F(reusedinterpreters, GiveTheResultsOfFreshOnes) {
  char const* lines[] = {"evens = 0",      "odds = 0", "inner = 0",     "for i = 1 to 500",
                         "  parity k = i", "  twice",  "  loops k = 3", "next"};
  ASSERT_TRUE(engine.execute(lines, 8, "pool"));
  EXPECT_EQ(number("odds"), 250);
  EXPECT_EQ(number("evens"), 250 + 500); // each loops call ends with parity k = 2
  EXPECT_EQ(number("inner"), 500 * 3 + 500 * 20);
}

} // namespace
