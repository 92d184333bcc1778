// format_test.cpp - the formatter's layout: blocks of every kind indented as the engine
// matches them, the blanks around operators (a sign told from a minus), commas, calls and
// selectors; comments, texts and line endings kept; lines that do not parse kept as written;
// blank lines folded; a fragment on the indentation of its first line.
#include "format.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(format, blocksAreIndentedByTwoBlanksAsTheEngineMatchesThem) {
  std::string const messy = "for i=1 to 3\n"
                            "if i%2==1\n"
                            "  total=total+i\n"
                            "      else\n"
                            "print \"even:\",i\n"
                            "end if\n"
                            "\t for each f in l\n"
                            "try\n"
                            "throw \"x\"\n"
                            "catch\n"
                            "print getlasterror()\n"
                            "end\n"
                            "next f\n"
                            "next\n"
                            "repeat\n"
                            "do\n"
                            "k=k-1\n"
                            "while k>10\n"
                            "until k<5\n"
                            "parallel\n"
                            "print \"one\"\n"
                            "thread\n"
                            "thread = 1\n"
                            "end\n"
                            "end\n";
  std::string const tidy = "for i = 1 to 3\n"
                           "  if i % 2 == 1\n"
                           "    total = total + i\n"
                           "  else\n"
                           "    print \"even:\", i\n"
                           "  end if\n"
                           "  for each f in l\n"
                           "    try\n"
                           "      throw \"x\"\n"
                           "    catch\n"
                           "      print getlasterror()\n"
                           "    end\n"
                           "  next f\n"
                           "next\n"
                           "repeat\n"
                           "  do\n"
                           "    k = k - 1\n"
                           "  while k > 10\n"
                           "until k < 5\n"
                           "parallel\n"
                           "  print \"one\"\n"
                           "thread\n"
                           "  thread = 1\n"
                           "end\n"
                           "end\n";
  EXPECT_EQ(cli::formatscript(messy), tidy);
  EXPECT_EQ(cli::formatscript(tidy), tidy);
}

TEST(format, blanksAroundOperatorsAfterCommasAndNoneInsideCallsAndSelectors) {
  EXPECT_EQ(cli::formatscript("x=-a*(b+-2)/c%d-1\n"), "x = -a * (b + -2) / c % d - 1\n");
  EXPECT_EQ(cli::formatscript("if(a>=1)&&!b||c<>d\nend\n"), "if (a >= 1) && !b || c <> d\nend\n");
  EXPECT_EQ(cli::formatscript("print  f( 1 ,-2 ) ,l [ 0 ] . name,{a=1,b={}} ,{1,2,}\n"),
            "print f(1, -2), l[0].name, {a = 1, b = {}}, {1, 2,}\n");
  EXPECT_EQ(cli::formatscript("area width=3,height=4\n'unit price'=2\n"),
            "area width = 3, height = 4\n'unit price' = 2\n");
  // After an operand a minus is a sign only where it is written as one: a call's argument.
  EXPECT_EQ(cli::formatscript("print -1\nprint a-1\nprint a - 1\nfor i=-1 to -3\nnext\n"),
            "print -1\nprint a - 1\nprint a - 1\nfor i = -1 to -3\nnext\n");
}

TEST(format, commentsAndTextsStayAsWritten) {
  EXPECT_EQ(cli::formatscript("if x\n; a  comment\n   y=1   ;  kept  as is \nend\n"),
            "if x\n  ; a  comment\n  y = 1   ;  kept  as is\nend\n");
  EXPECT_EQ(cli::formatscript("c =/* in  line */3 // rest\n"), "c =/* in  line */3 // rest\n");
  EXPECT_EQ(cli::formatscript("print \"a  ,b\" ,'c  d'\n"), "print \"a  ,b\", 'c  d'\n");
}

TEST(format, aLineThatDoesNotParseIsKeptExactly) {
  for (std::string const line : {"  x=1+  ", " a[0 =2", "print \"open", "\tfor each e in {1}",
                                 "for i 1 to 3", "x = 12abc", "y = (1+2"}) {
    std::string text = line + "\n";
    EXPECT_EQ(cli::formatscript(text), text);
  }
  // The engine reads a line up to a NUL: such a line is kept too.
  std::string const nul("x=1\0=2\n", 7);
  EXPECT_EQ(cli::formatscript(nul), nul);
}

TEST(format, blankLinesFoldAndLineEndingsStay) {
  EXPECT_EQ(cli::formatscript("a=1  \r\n\r\n \t\r\n\r\nb=2\n\n\nc=3"),
            "a = 1\r\n\r\nb = 2\n\nc = 3");
  // A carriage return before trailing blanks goes with them, or formatting again would change it.
  EXPECT_EQ(cli::formatscript("; \r \nx=1 \r \n"), ";\nx = 1\n");
  EXPECT_EQ(cli::formatscript("\xEF\xBB\xBFx=1\n"), "\xEF\xBB\xBFx = 1\n");
  EXPECT_EQ(cli::formatscript(""), "");
}

TEST(format, aFragmentKeepsTheIndentationOfItsFirstLine) {
  EXPECT_EQ(cli::formatscript("\n    x=1\n  if x\ny=2\n end\n", true),
            "\n    x = 1\n    if x\n      y = 2\n    end\n");
  EXPECT_EQ(cli::formatscript("    x=1\n", false), "x = 1\n");
}

} // namespace
