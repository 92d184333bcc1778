// blockdepth_test.cpp - the prompt's block counting: which lines open a block, which close
// it, that each family of block words counts apart, and that only a name as the first token
// counts, read by the engine's tokenizer (comments, strings, quoted names, case).
#include "blockdepth.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

// Whether a block is still open after the lines, fed in order to a fresh counter.
bool openafter(std::initializer_list<char const*> lines) {
  cli::blockdepth depth;
  for (char const* line : lines) depth.add(line);
  return depth.open();
}

TEST(blockdepth, eachOpeningWordOpensAndItsClosingWordCloses) {
  struct pair {
    char const* opening;
    char const* closing;
  };
  for (pair p : {pair{"if x > 1", "end"}, pair{"try", "end"}, pair{"parallel", "end"},
                 pair{"for i = 1 to 3", "next"}, pair{"for each v in list", "next"},
                 pair{"repeat", "until n > 3"}, pair{"do", "while n < 3"}}) {
    SCOPED_TRACE(p.opening);
    EXPECT_TRUE(openafter({p.opening}));
    EXPECT_TRUE(openafter({p.opening, "print(1)"}));
    EXPECT_FALSE(openafter({p.opening, "print(1)", p.closing}));
  }
}

TEST(blockdepth, linesThatOpenNothingLeaveTheCounterClosed) {
  EXPECT_FALSE(openafter({}));
  for (char const* line : {"x = 1", "print(\"if\")", "", "   ", "; if", "// for i = 1 to 2",
                           "/* repeat */", "else", "catch", "thread", "If 1", "IF 1", "iff 1",
                           "endif", "'if' = 1", "\"for\"", "1 + 2", "x.if = 3"}) {
    SCOPED_TRACE(line);
    EXPECT_FALSE(openafter({line}));
  }
}

TEST(blockdepth, theFirstTokenCountsWhateverSpaceOrCommentComesBeforeIt) {
  EXPECT_TRUE(openafter({"   if 1"}));
  EXPECT_TRUE(openafter({"\tfor i = 1 to 2"}));
  EXPECT_TRUE(openafter({"if(1)"}));
  EXPECT_TRUE(openafter({"/* note */ repeat"}));
  EXPECT_TRUE(openafter({"do ; the body follows"}));
  EXPECT_FALSE(openafter({"if 1", "  end // closes"}));
}

TEST(blockdepth, nestedBlocksOfOneFamilyCloseOnlyWithTheirLastClosingWord) {
  EXPECT_TRUE(openafter({"if a", "try", "end"}));
  EXPECT_FALSE(openafter({"if a", "try", "end", "end"}));
  EXPECT_TRUE(openafter({"for i = 1 to 2", "for j = 1 to 2", "next"}));
  EXPECT_FALSE(openafter({"for i = 1 to 2", "for j = 1 to 2", "next", "next"}));
  EXPECT_TRUE(openafter({"parallel", "if a", "end", "thread"}));
  EXPECT_FALSE(openafter({"parallel", "if a", "end", "thread", "end"}));
}

TEST(blockdepth, familiesCountApartAsTheEngineMatchesThem) {
  // A closing word of another family closes nothing.
  EXPECT_TRUE(openafter({"for i = 1 to 2", "end"}));
  EXPECT_TRUE(openafter({"if 1", "next"}));
  EXPECT_TRUE(openafter({"repeat", "while 1"}));
  EXPECT_TRUE(openafter({"do", "until 1"}));
  // Blocks of different families inside each other close when every family is back.
  EXPECT_TRUE(openafter({"for i = 1 to 2", "if i", "repeat", "until 1", "end"}));
  EXPECT_FALSE(openafter({"for i = 1 to 2", "if i", "repeat", "until 1", "end", "next"}));
  EXPECT_FALSE(openafter({"do", "try", "end", "while 0"}));
}

TEST(blockdepth, aSurplusClosingWordNeverKeepsTheEntryOpen) {
  // Alone it runs at once (the engine reports it); inside a block it does not hold the block
  // open past its own closing word.
  EXPECT_FALSE(openafter({"end"}));
  EXPECT_FALSE(openafter({"next"}));
  EXPECT_FALSE(openafter({"until 1"}));
  EXPECT_FALSE(openafter({"if 1", "until 1", "end"}));
  EXPECT_FALSE(openafter({"end", "end"}));
  // Nor does it ask for one more closing word later: the run fails at the surplus one anyway.
  EXPECT_FALSE(openafter({"for i = 1 to 2", "end", "if 1", "next"}));
}

TEST(blockdepth, clearForgetsEverythingCounted) {
  cli::blockdepth depth;
  depth.add("if 1");
  depth.add("for i = 1 to 2");
  depth.clear();
  EXPECT_FALSE(depth.open());
  depth.add("end");
  depth.clear();
  depth.add("if 1");
  EXPECT_TRUE(depth.open());
}

} // namespace
